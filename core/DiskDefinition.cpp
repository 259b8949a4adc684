#include "core/DiskDefinition.h"

#include <algorithm>

namespace veldin {
namespace {

constexpr std::array<std::uint8_t, 8> Key(const char (&fam)[5], std::uint8_t b4, std::uint8_t b5,
                                          std::uint8_t b6, std::uint8_t b7) {
    return {static_cast<std::uint8_t>(fam[0]), static_cast<std::uint8_t>(fam[1]),
            static_cast<std::uint8_t>(fam[2]), static_cast<std::uint8_t>(fam[3]), b4, b5, b6, b7};
}

// clang-format off
// key, sampler, kind, memoSector, sounds, songs, system, patches, tones2, tones, songSlots,
// songAreaKb, patchSector, toneSector2, toneSector, extension
constexpr std::array<DiskDefinition, 7> kTable{{
    {Key("S330", '5', 'C', 0x00, 0x08), "S330", "Sound",        134, true,  false, false, 16,  0, 32,  0,   0, 126,  -1, 135, ".s33"},
    {Key("S330", '5', 'C', 0x00, 0x09), "S330", "Utility",        0, false, false, false,  0,  0,  0,  0,   0,  -1,  -1,  -1, ".s33"},
    {Key("S-50", '5', 'A', 0x00, 0x01), "S50",  "Sound",        134, true,  false, false,  8,  0, 32,  0,   0, 126,  -1, 135, ".s50"},
    {Key("S550", '5', 'B', 0x00, 0x04), "S550", "Sound",        134, true,  false, false, 16,  0, 32,  0,   0, 126,  -1, 135, ".s55"},
    {Key("W-30", 0x06, 0x00, 0x00, 0x01), "W30", "Sound & Song", 134, true, true,  false, 16, 64, 32, 64,  45, 126, 108, 135, ".sdk"},
    {Key("W-30", 0x04, 0x00, 0x00, 0x02), "W30", "Song",          7, false, true,  false,  0,  0,  0, 64, 711,  -1,  -1,  -1, ".sng"},
    {Key("W-30", 0x01, 0x00, 0x00, 0x00), "W30", "System",        0, true,  false, true,  32, 64,  0,  0,   0, 252, 216,  -1, ".sys"},
}};
constexpr DiskDefinition kFallback{{}, "Unknown", "Unknown", -1, false, false, false, 0, 0, 0, 0, 0, -1, -1, -1, ""};
// clang-format on

} // namespace

std::span<const DiskDefinition> DefinitionTable() { return kTable; }
const DiskDefinition& FallbackDefinition() { return kFallback; }

DiskDefinition ClassifyImage(std::span<const std::uint8_t> header) {
    if (header.size() < 16) return kFallback;
    const auto first = header.subspan(4, 4);
    const auto second = header.subspan(12, 4);
    for (const auto& row : kTable) {
        if (std::equal(first.begin(), first.end(), row.key.begin()) &&
            std::equal(second.begin(), second.end(), row.key.begin() + 4))
            return row;
    }
    return kFallback;
}

} // namespace veldin
