// The disc's tables and the reads of units: what is listed, what is refused as damaged.
#include <gtest/gtest.h>

#include "cd/CdMessages.h"
#include "cd/CdTables.h"
#include "cd/ReadUnits.h"
#include "cd/SyntheticDisc.h"
#include "tests/cd/CdTestSupport.h"

namespace veldin::cd {
namespace {

using Bytes = std::vector<std::uint8_t>;

const SyntheticDisc& Disc() { return test::FullDisc(); }

Result<CdTables> Load(const Bytes& iso) {
    MemoryDisc disc(iso);
    return LoadTables(disc);
}

// Byte positions of the synthetic layout (cd/SyntheticDisc.h).
std::size_t EntryAt(std::size_t slot) { return kDirectoryOffset + slot * kDirectoryEntrySize; }
constexpr std::size_t kGroupsAt = 1 * 512, kSoundsAt = 5 * 512, kMapAt = 7 * 512;

void PutBe32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}
void PutBe16(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v >> 8);
    b[at + 1] = static_cast<std::uint8_t>(v);
}

TEST(CdTables, SyntheticDiscLoadsAndEachGroupListsItsOwnRecords) {
    const auto& d = Disc();
    const auto t = Load(d.iso);
    ASSERT_TRUE(t.ok()) << t.failure().text;
    EXPECT_EQ(t->header.description, d.description);
    EXPECT_EQ(t->discUnits, d.iso.size() / 512);
    ASSERT_EQ(t->groups.size(), d.groups.size());
    ASSERT_EQ(t->sounds.size(), d.sounds.size());
    for (std::size_t g = 0; g < d.groups.size(); ++g) {
        EXPECT_EQ(t->groups[g].text(), d.groups[g].listText);
        EXPECT_EQ(t->groupMap[g], d.groups[g].firstRecord);
    }
    for (std::size_t i = 0; i < d.sounds.size(); ++i) {
        EXPECT_EQ(t->sounds[i].text(), d.sounds[i].listText);
        EXPECT_EQ(t->sounds[i].firstUnit, d.sounds[i].firstUnit);
        EXPECT_EQ(t->sounds[i].units, d.sounds[i].units);
        EXPECT_EQ(t->sounds[i].group, d.sounds[i].group);
    }
    for (std::size_t g = 0; g < d.groups.size(); ++g) {
        std::vector<std::size_t> expected;
        for (std::size_t i = 0; i < d.sounds.size(); ++i)
            if (d.sounds[i].group == d.sounds[d.groups[g].firstRecord].group) expected.push_back(i);
        const auto list = SoundsOfGroup(*t, g);
        ASSERT_TRUE(list.ok());
        EXPECT_EQ(*list, expected) << d.groups[g].listText;
    }
    // "STRINGS": one record, followed at once by a record of "DRUMS".
    const auto strings = SoundsOfGroup(*t, 1);
    ASSERT_TRUE(strings.ok());
    EXPECT_EQ(strings->size(), 1u);
    EXPECT_EQ(t->sounds[strings->front() + 1].text(), "DRUMS - Kick");
    EXPECT_FALSE(SoundsOfGroup(*t, d.groups.size()).ok());
}

TEST(CdTables, LengthZeroIsReadAsOneUnit) {
    // The group map's entry is stored with length 0 and lies in the disc's last used
    // unit of block 1; it still loads, as one unit.
    const auto& d = Disc();
    const auto t = Load(d.iso);
    ASSERT_TRUE(t.ok());
    const DirectoryEntry& map = t->header.directory[3];
    EXPECT_EQ(map.name, kGroupMapName);
    EXPECT_EQ(map.units, 1u);
    EXPECT_EQ(d.iso[EntryAt(3) + 23], 0);

    // With a length of 0 at the very last unit of the disc the map is still inside.
    Bytes iso = d.iso;
    const auto lastUnit = static_cast<std::uint32_t>(iso.size() / 512 - 1);
    std::copy_n(iso.begin() + kMapAt, 512, iso.begin() + static_cast<std::ptrdiff_t>(lastUnit) * 512);
    PutBe32(iso, EntryAt(3) + 16, lastUnit);
    EXPECT_TRUE(Load(iso).ok());
    PutBe32(iso, EntryAt(3) + 20, 2); // but two units would not be
    EXPECT_EQ(Load(iso).failure().text, text::kCdTablesDamaged);
}

TEST(CdTables, SignatureWithOneCharacterChangedIsRefused) {
    ASSERT_TRUE(Load(Disc().iso).ok());
    for (std::size_t i = 0; i < kCdSignature.size(); ++i) {
        Bytes iso = Disc().iso;
        iso[i] = static_cast<std::uint8_t>(iso[i] == 'x' ? 'y' : 'x');
        const auto t = Load(iso);
        ASSERT_FALSE(t.ok()) << i;
        EXPECT_EQ(t.failure().text, "This is not Roland CD !!!");
        EXPECT_EQ(t.failure().icon, Icon::Information);
    }
    EXPECT_FALSE(ParseHeader(std::span(Disc().iso).first(511)).ok());
}

TEST(CdTables, AnEmptyDiscFailsAsARead) {
    const auto t = Load({});
    ASSERT_FALSE(t.ok());
    EXPECT_EQ(t.failure().text, "Errorcode: 5\r\n\r\n");
}

TEST(CdTables, TablesOutsideTheDiscOrThemselvesAreRefused) {
    struct Case {
        const char* what;
        void (*damage)(Bytes&);
    };
    const Case cases[] = {
        {"group table starts past the end",
         [](Bytes& b) { PutBe32(b, EntryAt(0) + 16, static_cast<std::uint32_t>(b.size() / 512)); }},
        {"sound directory runs past the end",
         [](Bytes& b) { PutBe32(b, EntryAt(1) + 20, static_cast<std::uint32_t>(b.size() / 512)); }},
        {"first unit near 2^32 (no wrap-around)", [](Bytes& b) { PutBe32(b, EntryAt(1) + 16, 0xFFFFFFFF); }},
        {"group map missing", [](Bytes& b) { b[EntryAt(3) + 3] = '2'; }},
        {"more groups than the group table holds", [](Bytes& b) { PutBe16(b, EntryAt(0) + 25, 65); }},
        {"more groups than the group map holds",
         [](Bytes& b) {
             PutBe32(b, EntryAt(0) + 20, 20);  // 320 groups fit the table ...
             PutBe16(b, EntryAt(0) + 25, 300); // ... but not the one-unit map
         }},
        {"table longer than any table can be",
         [](Bytes& b) {
             b.resize(10000 * 512);
             PutBe32(b, EntryAt(1) + 20, kMaxTableUnits + 1);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes iso = Disc().iso;
        c.damage(iso);
        const auto t = Load(iso);
        ASSERT_FALSE(t.ok());
        EXPECT_EQ(t.failure().text, text::kCdTablesDamaged);
    }
}

TEST(CdTables, TheTablesAreFoundByName) {
    // Swap the sound directory and the unrelated entry: still found.
    Bytes iso = Disc().iso;
    std::swap_ranges(iso.begin() + static_cast<std::ptrdiff_t>(EntryAt(1)),
                     iso.begin() + static_cast<std::ptrdiff_t>(EntryAt(2)),
                     iso.begin() + static_cast<std::ptrdiff_t>(EntryAt(2)));
    const auto t = Load(iso);
    ASSERT_TRUE(t.ok());
    EXPECT_EQ(t->sounds.size(), Disc().sounds.size());
}

TEST(CdTables, AGroupNeverRunsPastTheLoadedSoundDirectory) {
    // Every record slot of the two-unit directory carries the last group's number.
    Bytes iso = Disc().iso;
    const std::size_t slots = 2 * 512 / kSoundRecordSize;
    const std::uint8_t last = Disc().sounds.back().group;
    for (std::size_t i = Disc().sounds.size(); i < slots; ++i)
        iso[kSoundsAt + i * kSoundRecordSize + 57] = last;
    const std::size_t lastGroup = Disc().groups.size() - 1;

    // The directory's entry count ends the group ...
    auto t = Load(iso);
    ASSERT_TRUE(t.ok());
    EXPECT_EQ(SoundsOfGroup(*t, lastGroup)->size(), 1u);

    // ... and without one the table's end does.
    PutBe16(iso, EntryAt(1) + 25, 0);
    t = Load(iso);
    ASSERT_TRUE(t.ok());
    EXPECT_EQ(t->sounds.size(), slots);
    EXPECT_EQ(SoundsOfGroup(*t, lastGroup)->size(), slots - Disc().sounds.size() + 1);
    PutBe16(iso, EntryAt(1) + 25, 1000);
    t = Load(iso);
    ASSERT_TRUE(t.ok());
    EXPECT_EQ(t->sounds.size(), slots);
}

TEST(CdTables, ADiscWithoutGroupsListsNothing) {
    Bytes iso = Disc().iso;
    PutBe16(iso, EntryAt(0) + 25, 0);
    const auto t = Load(iso);
    ASSERT_TRUE(t.ok());
    EXPECT_TRUE(t->groups.empty());
    EXPECT_FALSE(SoundsOfGroup(*t, 0).ok());
}

TEST(CdTables, ListTexts) {
    struct Case {
        std::string category, name, text;
    };
    for (const auto& c : {Case{"  PIANO ", " Grand\t", "PIANO - Grand"},
                          Case{std::string("DRUMS\0\0\0", 8), std::string("\0Kick\0", 6), "DRUMS - Kick"},
                          Case{"", "Solo", "- Solo"}, Case{"FX", "", "FX -"}, Case{"", "", "-"}}) {
        SoundRecord s;
        s.category = c.category;
        s.name = c.name;
        EXPECT_EQ(s.text(), c.text);
    }
    InstrumentGroup g{"  BRASS  ", ""};
    EXPECT_EQ(g.text(), "BRASS - ");
    EXPECT_EQ(TrimText(std::string("A\0B ", 4)), "A B");
}

TEST(CheckSoundArea, SizesAndPlaces) {
    struct Case {
        std::uint32_t first, units;
        std::string_view failure; // empty: accepted
    };
    const std::uint64_t discUnits = 4000;
    for (auto c : {Case{8, 17, text::kSoundAreaSize}, Case{8, 18, {}}, Case{8, 1746, {}},
                   Case{8, 1747, text::kSoundAreaSize}, Case{8, 0, text::kSoundAreaSize}, Case{4000 - 1746, 1746, {}},
                   Case{4000 - 1745, 1746, text::kSoundAreaOutside}, Case{0xFFFFFFFF, 18, text::kSoundAreaOutside}}) {
        SCOPED_TRACE(testing::Message() << c.first << "+" << c.units);
        SoundRecord s;
        s.firstUnit = c.first;
        s.units = c.units;
        const auto st = CheckSoundArea(s, discUnits);
        EXPECT_EQ(st.ok(), c.failure.empty());
        if (!st.ok()) {
            EXPECT_EQ(st.failure().text, c.failure);
        }
    }
}

// A disc of `units` units where every byte tells its own position.
std::vector<std::uint8_t> PatternDisc(std::size_t units) {
    std::vector<std::uint8_t> d(units * kUnitSize);
    for (std::size_t i = 0; i < d.size(); ++i)
        d[i] = static_cast<std::uint8_t>(i * 7 + i / 512);
    return d;
}

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& d, std::size_t unit, std::size_t count) {
    return {d.begin() + static_cast<std::ptrdiff_t>(unit * kUnitSize),
            d.begin() + static_cast<std::ptrdiff_t>((unit + count) * kUnitSize)};
}

TEST(BlocksForUnits, CoversTheUnits) {
    struct Case {
        std::uint32_t first, count;
        std::uint64_t block;
        std::uint32_t offset;
        std::uint64_t blocks;
    };
    for (auto c : {Case{0, 1, 0, 0, 1}, Case{1, 4, 0, 512, 2}, Case{3, 2, 0, 1536, 2},
                   Case{4, 4, 1, 0, 1}, Case{5, 8, 1, 512, 3}, Case{7, 0, 1, 1536, 0},
                   Case{0xFFFFFFFF, 1, 0x3FFFFFFF, 1536, 1}}) {
        SCOPED_TRACE(testing::Message() << c.first << "+" << c.count);
        const BlockRun r = BlocksForUnits(c.first, c.count);
        EXPECT_EQ(r.firstBlock, c.block);
        EXPECT_EQ(r.offset, c.offset);
        EXPECT_EQ(r.blocks, c.blocks);
    }
}

TEST(ReadUnits, FourUnitsFromUnitOneReadBlocksZeroAndOne) {
    const auto bytes = PatternDisc(16);
    test::RecordingDisc disc(bytes);
    const auto r = ReadUnits(disc, 1, 4);
    ASSERT_TRUE(r.ok()) << r.failure().text;
    EXPECT_EQ(disc.blocksRead, (std::vector<std::uint64_t>{0, 1}));
    EXPECT_EQ(*r, Slice(bytes, 1, 4));

    disc.blocksRead.clear();
    const auto none = ReadUnits(disc, 3, 0); // a count of zero reads nothing
    ASSERT_TRUE(none.ok());
    EXPECT_TRUE(none->empty());
    EXPECT_TRUE(disc.blocksRead.empty());
}

TEST(ReadUnits, WholeEqualsPieces) {
    // Long reads cross the reader's chunks; every start within a block is tried.
    const auto bytes = PatternDisc(1000);
    MemoryDisc disc(bytes);
    for (std::uint32_t first : {0u, 1u, 3u, 130u}) {
        for (std::uint32_t count : {1u, 4u, 5u, 127u, 128u, 129u, 600u}) {
            SCOPED_TRACE(testing::Message() << first << "+" << count);
            const auto whole = ReadUnits(disc, first, count);
            ASSERT_TRUE(whole.ok());
            EXPECT_EQ(*whole, Slice(bytes, first, count));
        }
    }
}

TEST(ReadUnits, ProgressRunsToTheBlockCount) {
    const auto bytes = PatternDisc(1000);
    MemoryDisc disc(bytes);
    std::vector<std::uint64_t> seen;
    const auto r = ReadUnits(disc, 2, 500, [&](std::uint64_t done, std::uint64_t total) {
        EXPECT_EQ(total, 126u);
        seen.push_back(done);
    });
    ASSERT_TRUE(r.ok());
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 126u);
}

TEST(ReadUnits, AFailedBlockFailsTheRead) {
    test::RecordingDisc disc(PatternDisc(400));
    disc.failAt = 70;
    const auto r = ReadUnits(disc, 1, 300);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.failure().text, "Errorcode: 5\r\n\r\n");
    EXPECT_EQ(r.failure().icon, Icon::Error);

    // Reading past the end of the disc is a failed read too.
    const auto shortBytes = PatternDisc(8);
    MemoryDisc shortDisc(shortBytes);
    EXPECT_FALSE(ReadUnits(shortDisc, 6, 3).ok());
    EXPECT_TRUE(ReadUnits(shortDisc, 6, 2).ok());
}

} // namespace
} // namespace veldin::cd
