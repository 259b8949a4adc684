#pragma once
// The keyboard of a patch made visible: which tone each key plays in key map 1 and, for
// the key modes that layer or switch two maps, in key map 2, over the keys that play.
// The view paints what this says; the rules (range, rows, colours, texts) are here.
//
// Key numbering: entry i of a key map is the key of note number i + 12, so the 109
// entries run from C-0 (12) to C-9 (120).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "patch/PatchAreas.h"

namespace veldin::patch {

inline constexpr int kFirstMapKey = 12;
inline constexpr int kLastMapKey = kFirstMapKey + static_cast<int>(kKeyCount) - 1;

// Mix (2) layers both maps, V-SW (3) switches between them by velocity and Fade (4)
// crosses from one to the other; Norm and Uni play map 1 only.
bool PlaysBothMaps(std::uint8_t keyMode);

struct KeyStrip {
    // Note numbers of the first and last key drawn: the keys that play, widened to whole
    // octaves (C to B) within the map's keys. Empty (last < first) when no key plays.
    int firstKey = 0;
    int lastKey = -1;
    int rows = 1; // 2 when map 2 is shown
    // The distinct tones of the shown rows in order of first appearance; a key's colour
    // is its tone's index here.
    std::vector<std::uint8_t> tones;

    bool empty() const { return lastKey < firstKey; }
    // The tone number key `key` plays in row `row` (0 = map 1), 128 or more for none.
    std::uint8_t toneAt(int row, int key) const;
    // The colour index of that key, -1 when it plays nothing.
    int colourAt(int row, int key) const;
    static bool IsBlack(int key);

    std::array<std::array<std::uint8_t, kKeyCount>, 2> maps{};
};

KeyStrip MakeKeyStrip(const PatchRecord& record);

// The hover text of a key: its note name and the tone it plays ("C-4  SINE A4 (map 2)"),
// "no tone" for a key that plays none, and the number for a tone the image does not hold.
std::string KeyText(const KeyStrip& strip, const PatchAreas& areas, int row, int key);

} // namespace veldin::patch
