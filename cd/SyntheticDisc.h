#pragma once
// Synthetic Roland sample discs. We have no real disc, so the tests, the benchmark and
// anyone trying the tools use discs made here, laid out as the real ones are:
//
//   unit 0        header: signature, description, directory
//   units 1-4     "Instrument Group" (spans blocks 0 and 1)
//   units 5-6     "Sound Directory "
//   unit 7        "map1 Instrument " stored with length 0 (read as 1 unit)
//   unit 8 on     sound areas, back to back (so most start inside a block)
//
// The directory also holds an entry of another name between the tables, so that tables
// are found by name, not by position. The full disc has four groups: a full-size area of
// 1,746 units and partial ones, an area of parameters only (18 units), a one-sound group
// whose record is followed by the next group's record. The small disc (for fuzzing
// seeds) has two groups of short areas.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace veldin::cd {

struct SyntheticSound {
    std::string name;     // as stored, blank-padded to 32
    std::string category; // blank-padded to 16
    std::uint8_t group;
    std::uint32_t firstUnit;
    std::uint32_t units;
    std::string listText; // what the sound list shows
};

struct SyntheticGroup {
    std::string name, secondName;
    std::uint16_t firstRecord;
    std::string listText;
};

struct SyntheticDisc {
    std::vector<std::uint8_t> iso;          // 2,048-byte blocks
    std::array<std::string, 4> description; // trimmed
    std::vector<SyntheticGroup> groups;
    std::vector<SyntheticSound> sounds; // in the order of the sound directory
};

enum class DiscSize { Full, Small };

SyntheticDisc BuildSyntheticDisc(DiscSize size = DiscSize::Full);

} // namespace veldin::cd
