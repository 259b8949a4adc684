#include "cd/SyntheticDisc.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <string_view>

#include "cd/CdTables.h"
#include "cd/ReadUnits.h"
#include "core/Bytes.h"
#include "core/Geometry.h"

namespace veldin::cd {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kGroupUnit = 1, kGroupUnits = 4;
constexpr std::uint32_t kSoundUnit = 5, kSoundUnits = 2;
constexpr std::uint32_t kMapUnit = 7;
constexpr std::uint32_t kFirstAreaUnit = 8;
constexpr std::uint32_t kUnitsPerSegment = kSegmentSize / 3 * 2 * 2 / kUnitSize; // 48: 12,288 samples of 2 bytes

std::string Padded(std::string_view s, std::size_t width) {
    std::string out(s.substr(0, width));
    out.resize(width, ' ');
    return out;
}

void Put(Bytes& b, std::size_t at, std::string_view s) {
    std::copy(s.begin(), s.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
}

void PutBe32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

void PutEntry(Bytes& disc, std::size_t slot, std::string_view name, std::uint32_t first, std::uint32_t length,
              std::uint16_t count) {
    const std::size_t at = kDirectoryOffset + slot * kDirectoryEntrySize;
    Put(disc, at, name);
    PutBe32(disc, at + 16, first);
    PutBe32(disc, at + 20, length);
    disc[at + 25] = static_cast<std::uint8_t>(count >> 8);
    disc[at + 26] = static_cast<std::uint8_t>(count);
}

// The parameter block of an area, laid out as sectors 126-143 of a sound disk: patch
// area (8 sectors), memo sector, tone area (32 records of 128 bytes), tone list. One
// original tone per wave bank that the area's samples reach.
void PutParameters(std::span<std::uint8_t> p, std::string_view name, std::uint32_t waveUnits) {
    constexpr std::size_t kMemo = 8 * kSectorSize, kTones = 9 * kSectorSize, kList = 17 * kSectorSize;
    const std::string memoName = Padded(name, 12);
    std::copy(memoName.begin(), memoName.end(), p.begin() + kMemo + 51);

    const std::uint32_t segments = waveUnits / kUnitsPerSegment;
    for (std::uint32_t bank = 0; bank < 2; ++bank) {
        const std::uint32_t inBank = std::min<std::uint32_t>(
            segments > bank * kSegmentsPerBank ? segments - bank * kSegmentsPerBank : 0, kSegmentsPerBank);
        if (inBank == 0) continue;
        const auto r = p.subspan(kTones + bank * kToneRecordSize, kToneRecordSize);
        const std::string toneName = Padded(std::string(name.substr(0, 6)) + (bank == 0 ? " A" : " B"), 8);
        std::copy(toneName.begin(), toneName.end(), r.begin());
        r[9] = static_cast<std::uint8_t>(bank); // tone number
        r[12] = 60;                             // original key C-4
        r[14] = 0;                              // first segment
        r[15] = static_cast<std::uint8_t>(inBank);
        r[13] = static_cast<std::uint8_t>(bank); // wave bank
        const std::uint32_t end = inBank * (kSegmentSize / 3 * 2) - 1;
        WriteBe24(0, r.subspan(16, 3));
        WriteBe24(end, r.subspan(19, 3));
        WriteBe24(end / 2, r.subspan(22, 3));
        r[71] = 127; // volume
        std::copy_n(r.begin(), kToneListEntrySize, p.begin() + kList + bank * kToneListEntrySize);
    }
}

// 16-bit little-endian samples: a tone whose pitch depends on the area, with noise in
// the low bits so that the 12-bit packing has something to drop.
void PutSamples(std::span<std::uint8_t> w, std::uint32_t seed) {
    std::uint32_t noise = seed * 2654435761u + 1;
    const double step = 2.0 * std::numbers::pi * (0.01 + 0.003 * seed);
    for (std::size_t i = 0; i + 1 < w.size(); i += 2) {
        noise = noise * 1664525u + 1013904223u;
        const auto v = static_cast<std::int32_t>(std::lround(20000.0 * std::sin(step * static_cast<double>(i / 2))));
        const auto s =
            static_cast<std::uint16_t>(static_cast<std::int16_t>(v)) ^ static_cast<std::uint16_t>(noise >> 28);
        WriteLe16(s, w.subspan(i, 2));
    }
}

struct Plan {
    std::string_view name, category;
    std::uint8_t group;
    std::uint32_t units;
};

} // namespace

SyntheticDisc BuildSyntheticDisc(DiscSize size) {
    SyntheticDisc d;
    const bool full = size == DiscSize::Full;
    struct GroupPlan {
        std::string_view name, second;
    };
    const std::vector<GroupPlan> groupPlans = full ? std::vector<GroupPlan>{{"PIANO", "Concert Grand"},
                                                                            {"STRINGS", "Solo Cello"},
                                                                            {"DRUMS", "Kit 1"},
                                                                            {"SYNTH", "Pads"}}
                                                   : std::vector<GroupPlan>{{"PIANO", "Small"}, {"DRUMS", "Small"}};
    // Group numbers on the disc start at 1; the records of a group stand together.
    const std::vector<Plan> plans =
        full ? std::vector<Plan>{{"Grand Full", "PIANO", 1, kMaxAreaUnits},
                                 {"Grand Short", "PIANO", 1, kParameterUnits + 5 * kUnitsPerSegment},
                                 {"Cello", "STRINGS", 2, kParameterUnits + 2 * kUnitsPerSegment},
                                 {"Kick", "DRUMS", 3, kParameterUnits + 1 * kUnitsPerSegment},
                                 {"Parameters Only", "DRUMS", 3, kParameterUnits},
                                 {"Pad Warm", "SYNTH", 4, kParameterUnits + 3 * kUnitsPerSegment}}
             : std::vector<Plan>{{"Piano", "PIANO", 1, kParameterUnits + 2}, {"Snare", "DRUMS", 2, kParameterUnits}};

    std::uint32_t unit = kFirstAreaUnit;
    for (const auto& p : plans) {
        SyntheticSound s{Padded(p.name, 32), Padded(p.category, 16), p.group, unit, p.units, {}};
        s.listText = std::string(p.category) + " - " + std::string(p.name);
        d.sounds.push_back(s);
        unit += p.units;
    }
    for (std::size_t g = 0; g < groupPlans.size(); ++g) {
        const auto first = static_cast<std::uint16_t>(
            std::find_if(plans.begin(), plans.end(), [&](const Plan& p) { return p.group == g + 1; }) - plans.begin());
        d.groups.push_back({Padded(groupPlans[g].name, 16), Padded(groupPlans[g].second, 16), first,
                            std::string(groupPlans[g].name) + " - " + std::string(groupPlans[g].second)});
    }

    const std::uint32_t blocks = (unit + kUnitsPerBlock - 1) / kUnitsPerBlock;
    Bytes& disc = d.iso;
    disc.assign(static_cast<std::size_t>(blocks) * kBlockSize, 0);

    // Header.
    Put(disc, 0, kCdSignature);
    d.description = {"VELDIN SYNTHETIC SAMPLE DISC", "Not a Roland product", full ? "Four groups, six sounds" : "Small",
                     "Volume 1"};
    for (std::size_t i = 0; i < d.description.size(); ++i)
        Put(disc, kDescriptionOffsets[i], Padded("  " + d.description[i], kDescriptionLength));
    const auto groupCount = static_cast<std::uint16_t>(d.groups.size());
    PutEntry(disc, 0, kGroupTableName, kGroupUnit, kGroupUnits, groupCount);
    PutEntry(disc, 1, kSoundTableName, kSoundUnit, kSoundUnits, static_cast<std::uint16_t>(d.sounds.size()));
    PutEntry(disc, 2, "Copyright Notice", 0, 1, 0);
    PutEntry(disc, 3, kGroupMapName, kMapUnit, 0, groupCount);

    // Tables.
    for (std::size_t g = 0; g < d.groups.size(); ++g) {
        const std::size_t at = kGroupUnit * kUnitSize + g * kGroupRecordSize;
        Put(disc, at, d.groups[g].name);
        Put(disc, at + 16, d.groups[g].secondName);
        WriteLe16(d.groups[g].firstRecord, std::span(disc).subspan(kMapUnit * kUnitSize + 2 * g, 2));
    }
    for (std::size_t i = 0; i < d.sounds.size(); ++i) {
        const SyntheticSound& s = d.sounds[i];
        const std::size_t at = kSoundUnit * kUnitSize + i * kSoundRecordSize;
        Put(disc, at, s.name);
        Put(disc, at + 32, s.category);
        PutBe32(disc, at + 48, s.firstUnit);
        PutBe32(disc, at + 52, s.units);
        disc[at + 57] = s.group;
    }

    // Sound areas.
    for (std::size_t i = 0; i < d.sounds.size(); ++i) {
        const SyntheticSound& s = d.sounds[i];
        const auto area = std::span(disc).subspan(static_cast<std::size_t>(s.firstUnit) * kUnitSize,
                                                  static_cast<std::size_t>(s.units) * kUnitSize);
        PutParameters(area.first(kParameterBytes), plans[i].name, s.units - kParameterUnits);
        PutSamples(area.subspan(kParameterBytes), static_cast<std::uint32_t>(i + 1));
    }
    return d;
}

} // namespace veldin::cd
