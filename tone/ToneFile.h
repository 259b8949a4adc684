#pragma once
// Tone files ("RTON"), the currency of every tone transfer:
//   0  "RTON"
//   4  S: wave segments after the records (0 = parameters only)
//   5  T: tone records, at least 1
//   6  T records of 128 bytes: the original first, then its subtones
//   6 + T*128  S segments of 18,432 packed bytes
// A ".ston" file is S = 0, T = 1 (134 bytes); a ".ton" file has S >= 1.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/Result.h"
#include "tone/ToneAreas.h"

namespace veldin::tone {

inline constexpr std::size_t kToneFileHeader = 6;

struct ToneFile {
    std::uint8_t segments = 0;
    std::vector<ToneRecord> records;
    std::vector<std::uint8_t> wave; // segments * 18,432

    std::vector<std::uint8_t> bytes() const;
    // The subtone form: header ("RTON", 0, 1) and the first record only.
    ToneFile subtoneFile() const;
};

// The magic alone decides "This is not RTON file!"; a file shorter than its header says
// (or without any record) is refused without reading past its end.
bool HasRtonMagic(std::span<const std::uint8_t> bytes);
Result<ToneFile> ParseToneFile(std::span<const std::uint8_t> bytes);
// A file with wave holds one original and then its subtones, each playing 1 to S of its
// S segments. A first record marked as a subtone, a record of 0 segments (a free position
// once stored) or one claiming more than S would break the bank's accounting when stored
// whole: negative free memory, records the tree never shows, positions never freed.
bool RecordsMatchHeader(const ToneFile& f);

// The selected tone as a file, with the positions (as position x 128) of the records it
// covers and the image offset of its wave (none for a file without wave).
struct Extracted {
    ToneFile file;
    std::vector<std::uint32_t> positions;
    std::optional<std::uint32_t> waveOffset;
};
Result<Extracted> ExtractToneFile(const ToneDocument& doc, const ToneAreas& areas, ToneRef ref);
// The records a tone covers: itself, and for an original of the tone area its subtones.
std::vector<std::uint32_t> CoveredPositions(const ToneAreas& areas, ToneRef ref);
// segmentTop + segmentCount within the bank's 18 segments.
bool WaveInsideBank(const ToneRecord& r);

// Save Tone: which filters the dialog offers and what the chosen one writes.
enum class SaveKind { Tone, Subtone };
std::vector<SaveKind> SaveFilters(const ToneFile& file); // Tone then Subtone, or Subtone alone
std::vector<std::uint8_t> SaveToneBytes(const ToneFile& file, SaveKind chosen);
inline constexpr std::string_view kToneFilter = "Roland tone (*.ton)";
inline constexpr std::string_view kSubtoneFilter = "Roland subtone (*.ston)";

// The name proposed for a saved file: the characters that file names cannot hold
// become "_", an empty name becomes "NoName".
std::string ProposedFileName(const ToneRecord& r);
// The same replacement on any text.
std::string ReplaceUnsafeCharacters(std::string s);

} // namespace veldin::tone
