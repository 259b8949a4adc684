#pragma once
// Load Wave: a RIFF/WAVE file becomes an in-memory tone file built on the template
// record "default.ston", ready for ImportToneFile.
//
//   0 "RIFF"  4 size (not trusted)  8 "WAVE"  12 chunks: id[4] size(LE32) bytes, padded
//   to an even length. "fmt ": tag(16) channels(16) rate(32) bytes/s(32) align(16)
//   bits(16) [cbSize(16) validBits(16) mask(32) subformat GUID(16) for tag FFFEh].

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include "core/LogWriter.h"
#include "core/ModuleSettings.h"
#include "core/UserInteraction.h"
#include "tone/ToneFile.h"

namespace veldin::tone {

enum class ChannelMode { Mono, Left, Both };

// The parsed layout of a WAV file: where its samples are and how they are stored.
struct WaveFormat {
    int tag = 0;        // 1 integer PCM, 3 float (after resolving WAVE_FORMAT_EXTENSIBLE)
    int channels = 0;
    std::uint32_t rate = 0;
    int bits = 0;       // container bits per sample
    std::span<const std::uint8_t> data;
};

struct WaveImportOptions {
    std::filesystem::path mainDir; // where "default.ston" lives
    bool log = false;              // write "wave2rton.txt" into logDir
    std::filesystem::path logDir = ".";
    // Beyond the sampler's own conversion: bring the WAV to the tone's rate (30,000 or
    // 15,000 Hz) so that it keeps its pitch. Off by default.
    bool resample = false;
};

// "Log conversion progress" of the preferences; the log goes to the current folder.
inline WaveImportOptions ImportOptionsFrom(const ToneEditorSettings& s, const std::filesystem::path& mainDir) {
    return WaveImportOptions{mainDir, s.logConversion != 0, ".", false};
}

// Converts; the stereo question goes to `ui`. A refusal returns the fixed text (no
// icon) and nothing else happens.
Result<ToneFile> WaveToToneFile(std::span<const std::uint8_t> wav, std::string_view fileName,
                                const WaveImportOptions& options, UserInteraction& ui);

// The conversion proper, on a template record already loaded; `log` may be null.
// `resample` converts the samples to the template's rate first.
Result<ToneFile> ConvertWave(std::span<const std::uint8_t> wav, std::string_view fileName, const ToneRecord& tpl,
                             UserInteraction& ui, LogWriter* log, bool resample = false);

// The template record from "default.ston" in `mainDir`.
// With a log, the loading and what is wrong with the template are written to it.
Result<ToneRecord> LoadTemplate(const std::filesystem::path& mainDir, LogWriter* log = nullptr);

// Sample i of channel c as a 16-bit value: 8-bit unsigned, 16/24/32-bit signed integer
// and 32-bit float samples are all brought to 16 bits (keeping the top bits).
std::int16_t SampleAt(const WaveFormat& f, std::size_t frame, int channel);

} // namespace veldin::tone
