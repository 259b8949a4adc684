#pragma once
// Save Wave: a tone as a 16-bit mono PCM WAV file, its points as cue markers and
// regions, optionally with a WaveLab marker file (".MRK") and a "smpl" loop.
//
//   0 "RIFF" size "WAVE"  12 "fmt " 16: tag 1, 1 channel, rate, rate*2, align 2, 16 bits
//   36 chunks:  regions off:        "data" [smpl]
//               regions on, MRK off: "data" "cue " "LIST" [smpl]
//               regions on, MRK on:  "cue " "LIST" [smpl] "PAD " "data" (samples at a
//                                    4096-byte boundary, normally 4096 itself)

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/ModuleSettings.h"
#include "core/Result.h"
#include "tone/ToneAreas.h"

namespace veldin::tone {

struct WaveExportOptions {
    bool regions = true;   // "Save Tone regions in wave file"
    bool mrk = false;      // "Generate MRK files for WaveLab"
    bool smpl = false;     // a standard "smpl" chunk with the exported tone's loop
    bool wholeWave = false; // a subtone keeps the whole wave of its original (the graph)
};

// The two check boxes of the Tone Editor's preferences.
inline WaveExportOptions ExportOptionsFrom(const ToneEditorSettings& s) {
    return WaveExportOptions{s.saveRegion != 0, s.saveMrk != 0, false, false};
}

struct ExportTone {
    ToneRecord record;
    std::string label;     // label text with the "Tone%d" fallback
    std::string mrkLabel;  // label text, empty stays empty
    std::uint32_t start = 0, loop = 0, end = 0; // relative to the first exported sample
};

struct ToneWave {
    int rate = 30000;
    std::vector<std::uint8_t> header;     // 36 bytes, size field filled by WaveFileBytes
    std::vector<std::uint16_t> samples;   // 16-bit words, low four bits zero
    std::vector<ExportTone> tones;        // the exported tone first, then its subtones
    std::vector<std::uint8_t> regions;    // "cue " and "LIST" chunks
    std::vector<std::uint8_t> smpl;       // "smpl" chunk, when asked for
    std::string mrk;                      // the ".MRK" text
};

// Reads the record and its wave. Fails for a tone of the second tone area (no wave),
// a record that cannot be read, and a subtone that ends before it starts.
Result<ToneWave> BuildToneWave(const ToneDocument& doc, const ToneAreas& areas, ToneRef ref,
                               const WaveExportOptions& options);

// The whole file in the chunk order of the options.
std::vector<std::uint8_t> WaveFileBytes(const ToneWave& wave, const WaveExportOptions& options);

// The label of a tone: the name up to its first zero byte, leading blanks and tabs and
// trailing characters below "!" removed, unsafe characters replaced by "_".
std::string LabelText(const ToneRecord& r);

// "dir/piano.wav" gives "dir/piano.MRK" (the part from the last "." replaced).
std::filesystem::path MrkPathFor(const std::filesystem::path& wavPath);

// True when start, loop and end lie within the record's wave (segmentCount x 12,288).
bool PointsInsideWave(const ToneRecord& r);

} // namespace veldin::tone
