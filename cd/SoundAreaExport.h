#pragma once
// Writing one sound area of a Roland CD as a disk image of a chosen sampler family:
// the family's template (the system area, sectors 0-125), then the area's 9,216
// parameter bytes as they are (sectors 126-143), then its 16-bit little-endian samples
// packed to 12 bits (the wave banks from 0x12000 on). A full area of 1,746 units gives
// 64,512 + 9,216 + 663,552 = 737,280 bytes; a shorter one leaves the rest of the wave
// banks empty.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include "cd/CdTables.h"
#include "cd/ReadUnits.h"
#include "core/Result.h"

namespace veldin::cd {

// The sampler choice of the save dialog, in its order.
enum class SamplerFamily { W30 = 1, S50 = 2, S330 = 3, S550 = 4 };

struct FamilyInfo {
    SamplerFamily family;
    std::string_view option;       // "w30", as veldin-cli takes it
    std::string_view filterText;   // "Roland W30 (*.sdk)"
    std::string_view templateFile; // "W30.dat" in the main directory
    std::string_view extension;    // "sdk"
};
std::span<const FamilyInfo> Families();
const FamilyInfo& InfoOf(SamplerFamily family);
const FamilyInfo* FindFamily(std::string_view option); // nullptr when unknown

// The image bytes: template + parameters + packed samples, then zero bytes (empty wave
// memory) up to the 737,280 bytes of a disk image, so that an area shorter than a full
// one still makes an image that opens. `area` holds at least the 9,216 parameter bytes
// and a whole number of sample pairs beyond them.
std::vector<std::uint8_t> BuildSoundAreaImage(std::span<const std::uint8_t> templateBytes,
                                              std::span<const std::uint8_t> area);

// Replaces `target` with `bytes` through a temporary file beside it, so that the target
// is either the old file or the whole new one. Fails with "Couldn't create new file!".
Status WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes);

// The template "<family>.dat" of `mainDir`; failure: "Can't copy temporary file!".
Result<std::vector<std::uint8_t>> ReadTemplate(const std::filesystem::path& mainDir, SamplerFamily family);

// Checks the area, reads it and writes template + area to `target`. Whatever fails,
// `target` is left as it was.
Status WriteSoundArea(DiscSource& disc, const SoundRecord& sound, std::span<const std::uint8_t> templateBytes,
                      const std::filesystem::path& target, const ReadProgress& progress = {});

// Checks the area, reads the family's template (before anything of the disc), reads the
// area and writes the image to `target`. Whatever fails, `target` is left as it was.
Status ExportSoundArea(DiscSource& disc, const SoundRecord& sound, SamplerFamily family,
                       const std::filesystem::path& mainDir, const std::filesystem::path& target,
                       const ReadProgress& progress = {});

// A file name made of a list text: the characters that file names cannot hold become
// underscores, an empty text becomes "NoName".
std::string FileNameOf(std::string_view listText);

} // namespace veldin::cd
