#include "patch/KeyStrip.h"

#include <algorithm>

#include "core/Names.h"

namespace veldin::patch {

bool PlaysBothMaps(std::uint8_t keyMode) { return keyMode >= 2 && keyMode <= 4; }

bool KeyStrip::IsBlack(int key) {
    const int n = ((key % 12) + 12) % 12;
    return n == 1 || n == 3 || n == 6 || n == 8 || n == 10;
}

std::uint8_t KeyStrip::toneAt(int row, int key) const {
    if (row < 0 || row >= rows || key < kFirstMapKey || key > kLastMapKey) return kFirstNoTone;
    return maps[static_cast<std::size_t>(row)][static_cast<std::size_t>(key - kFirstMapKey)];
}

int KeyStrip::colourAt(int row, int key) const {
    const std::uint8_t t = toneAt(row, key);
    if (t >= kFirstNoTone) return -1;
    return static_cast<int>(std::find(tones.begin(), tones.end(), t) - tones.begin());
}

KeyStrip MakeKeyStrip(const PatchRecord& record) {
    KeyStrip s;
    s.rows = PlaysBothMaps(record.keyMode()) ? 2 : 1;
    std::copy(record.keyMap1().begin(), record.keyMap1().end(), s.maps[0].begin());
    std::copy(record.keyMap2().begin(), record.keyMap2().end(), s.maps[1].begin());
    int first = kLastMapKey + 1, last = kFirstMapKey - 1;
    for (int row = 0; row < s.rows; ++row)
        for (int key = kFirstMapKey; key <= kLastMapKey; ++key) {
            const std::uint8_t t = s.toneAt(row, key);
            if (t >= kFirstNoTone) continue;
            first = std::min(first, key);
            last = std::max(last, key);
            if (std::find(s.tones.begin(), s.tones.end(), t) == s.tones.end()) s.tones.push_back(t);
        }
    if (last < first) return s;
    s.firstKey = std::max(kFirstMapKey, first - first % 12);
    s.lastKey = std::min(kLastMapKey, last - last % 12 + 11);
    return s;
}

std::string KeyText(const KeyStrip& strip, const PatchAreas& areas, int row, int key) {
    std::string text = NoteName(key) + "  ";
    const std::uint8_t t = strip.toneAt(row, key);
    if (t >= kFirstNoTone) text += "no tone";
    else if (const auto r = areas.toneRecord(t); r && r->isUsed()) text += r->displayName();
    else text += "tone " + std::to_string(t) + " (not on this image)";
    if (strip.rows == 2) text += row == 0 ? " (map 1)" : " (map 2)";
    return text;
}

} // namespace veldin::patch
