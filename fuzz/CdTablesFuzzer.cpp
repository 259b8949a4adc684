// The tables of a Roland CD, read from arbitrary bytes taken as a disc of 2,048-byte
// blocks. Properties checked: nothing is read outside the disc or the loaded tables; a
// group lists consecutive records of one group number starting at its map value; an
// area that passes the check lies on the disc, reads whole and exports to template +
// 9,216 + (units x 512 - 9,216) / 4 x 3 bytes followed by zeros up to a whole image.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "cd/CdTables.h"
#include "cd/ReadUnits.h"
#include "cd/SoundAreaExport.h"
#include "core/Geometry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin::cd;
    MemoryDisc disc(std::span<const std::uint8_t>(data, size));
    const auto tables = LoadTables(disc);
    if (!tables) return 0;
    const CdTables& t = *tables;
    if (t.groupMap.size() != t.groups.size() || t.discUnits != size / kBlockSize * kUnitsPerBlock) std::abort();

    for (std::size_t g = 0; g < t.groups.size(); ++g) {
        const auto list = SoundsOfGroup(t, g);
        if (!list) {
            if (t.groupMap[g] < t.sounds.size()) std::abort();
            continue;
        }
        if (list->empty() || list->front() != t.groupMap[g]) std::abort();
        for (std::size_t i = 0; i < list->size(); ++i) {
            const std::size_t index = (*list)[i];
            if (index != list->front() + i || index >= t.sounds.size()) std::abort();
            if (t.sounds[index].group != t.sounds[list->front()].group) std::abort();
            const SoundRecord& s = t.sounds[index];
            if (!CheckSoundArea(s, t.discUnits)) continue;
            if (s.units < kParameterUnits || s.units > kMaxAreaUnits ||
                std::uint64_t{s.firstUnit} + s.units > t.discUnits)
                std::abort();
            const auto area = ReadUnits(disc, s.firstUnit, s.units);
            if (!area) std::abort();
            const std::uint8_t tpl[1] = {0};
            const auto image = BuildSoundAreaImage(tpl, *area);
            const std::size_t filled = 1 + kParameterBytes + (s.units * 512u - kParameterBytes) / 4 * 3;
            if (image.size() != static_cast<std::size_t>(veldin::kImageSize) ||
                std::any_of(image.begin() + static_cast<std::ptrdiff_t>(filled), image.end(),
                            [](std::uint8_t b) { return b != 0; }))
                std::abort();
        }
    }
    return 0;
}
