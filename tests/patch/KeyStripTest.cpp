// The key strip of a patch: the keys drawn, the rows by key mode, the colours by tone
// and the hover texts.
#include <gtest/gtest.h>

#include "patch/KeyStrip.h"
#include "tests/patch/PatchTestSupport.h"

namespace veldin::patch {
namespace {

using data::TemplateKind;
using tone::test::EmptyImage;
using tone::test::Put;
using namespace veldin::patch::test;

// A record whose map entries [from, to) play `tone`, in map 1 or map 2.
PatchRecord Keys(PatchRecord r, int map, std::size_t from, std::size_t to, std::uint8_t tone) {
    auto m = map == 1 ? r.keyMap1() : r.keyMap2();
    std::fill(m.begin() + static_cast<std::ptrdiff_t>(from), m.begin() + static_cast<std::ptrdiff_t>(to), tone);
    return r;
}

TEST(KeyStrip, RowsFollowTheKeyMode) {
    const PatchRecord base = Keys(Keys(MakePatch("P", {}), 1, 48, 60, 3), 2, 48, 60, 7);
    struct Case {
        std::uint8_t mode;
        int rows;
        std::vector<std::uint8_t> tones;
    };
    const Case cases[] = {{0, 1, {3}}, {1, 1, {3}}, {2, 2, {3, 7}}, {3, 2, {3, 7}}, {4, 2, {3, 7}}, {9, 1, {3}}};
    for (const Case& c : cases) {
        PatchRecord r = base;
        r.setKeyMode(c.mode);
        const KeyStrip s = MakeKeyStrip(r);
        EXPECT_EQ(s.rows, c.rows) << int(c.mode);
        EXPECT_EQ(s.tones, c.tones) << int(c.mode);
        EXPECT_EQ(s.colourAt(1, 60), c.rows == 2 ? 1 : -1) << "map 2 only where it is played";
    }
}

TEST(KeyStrip, RangeIsTheKeysThatPlayInWholeOctaves) {
    struct Case {
        std::size_t from, to; // map entries that play
        int first, last;      // notes drawn
    };
    const Case cases[] = {
        {48, 60, 60, 71},   // entries 48-59 are notes 60-71: one octave from C-4
        {50, 51, 60, 71},   // a single D-4 still shows its octave
        {0, 109, 12, 120},  // every key: C-0 to C-9, never past the map
        {100, 109, 108, 120},
        {47, 49, 48, 71},   // B-3 and C-4: two octaves
    };
    for (const Case& c : cases) {
        const KeyStrip s = MakeKeyStrip(Keys(MakePatch("P", {}), 1, c.from, c.to, 1));
        EXPECT_EQ(std::tuple(s.firstKey, s.lastKey, s.empty()), std::tuple(c.first, c.last, false)) << c.from;
    }
    EXPECT_TRUE(MakeKeyStrip(MakePatch("P", {})).empty());
    // Map 2 widens the range only when it is shown.
    PatchRecord r = Keys(Keys(MakePatch("P", {}), 1, 48, 50, 1), 2, 90, 92, 2);
    EXPECT_EQ(MakeKeyStrip(r).lastKey, 71);
    r.setKeyMode(2);
    EXPECT_EQ(MakeKeyStrip(r).lastKey, 107);
}

TEST(KeyStrip, ColoursAndTextsNameTheToneOfEachKey) {
    auto doc = EmptyImage(TemplateKind::S550);
    Put(doc, {"PIANO", 0, 0, 0, 2});
    Put(doc, {"BASS", 4, 1, 0, 2});
    const PatchAreas areas = PatchAreas::Read(doc);
    PatchRecord r = Keys(Keys(Keys(MakePatch("P", {}), 1, 0, 24, 4), 1, 24, 48, 0), 2, 0, 48, 9);
    r.setKeyMode(3);
    const KeyStrip s = MakeKeyStrip(r);
    EXPECT_EQ(s.tones, (std::vector<std::uint8_t>{4, 0, 9}));
    struct Case {
        int row, key, colour;
        const char* text;
    };
    const Case cases[] = {
        {0, 12, 0, "C-0  BASS     (map 1)"},
        {0, 36, 1, "C-2  PIANO    (map 1)"},
        {1, 37, 2, "C#2  tone 9 (not on this image) (map 2)"},
        {0, 60, -1, "C-4  no tone (map 1)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(s.colourAt(c.row, c.key), c.colour) << c.text;
        EXPECT_EQ(KeyText(s, areas, c.row, c.key), c.text);
    }
    EXPECT_EQ(s.toneAt(0, 11), kFirstNoTone) << "below the map";
    EXPECT_EQ(s.toneAt(2, 40), kFirstNoTone) << "no third row";
    EXPECT_EQ(std::tuple(KeyStrip::IsBlack(37), KeyStrip::IsBlack(36), KeyStrip::IsBlack(64)),
              std::tuple(true, false, false));
}

} // namespace
} // namespace veldin::patch
