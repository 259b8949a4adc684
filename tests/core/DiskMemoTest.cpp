#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "core/DiskMemo.h"

namespace veldin {
namespace {

const DiskDefinition& RowOf(std::string_view kind, std::string_view family) {
    for (const auto& r : DefinitionTable())
        if (r.kindName == kind && r.family() == family) return r;
    return FallbackDefinition();
}

using Sector = std::array<std::uint8_t, 512>;

// Writes a sound memo the way the sampler lays it out.
Sector SoundSector(std::string_view name, std::array<std::string_view, 4> lines) {
    Sector s{};
    std::memcpy(s.data() + 51, name.data(), name.size());
    for (int L = 0; L < 4; ++L)
        for (std::size_t i = 0; i < lines[L].size(); ++i) s[63 + 4 * i + L] = static_cast<std::uint8_t>(lines[L][i]);
    return s;
}

TEST(DecodeMemo, SoundMemoIsInterleaved) {
    auto s = SoundSector("MY PIANOS   ", {"GRAND 1     ", "line two    ", "third       ", "FOURTH LINE!"});
    const auto memo = DecodeMemo(RowOf("Sound", "S550"), s);
    EXPECT_EQ(memo.kind, DiskMemo::Sound);
    EXPECT_EQ(memo.samplerName, "S550");
    EXPECT_EQ(memo.kindName, "Sound");
    EXPECT_EQ(memo.name, "MY PIANOS   ");
    EXPECT_EQ(memo.memoLines, (std::array<std::string, 4>{"GRAND 1     ", "line two    ", "third       ", "FOURTH LINE!"}));
    EXPECT_EQ(memo.title, "MY PIANOS GRAND 1 line two third FOURTH LINE!");
}

TEST(DecodeMemo, ControlAndHighBytesBecomeBlanksInTheCallersBuffer) {
    Sector s{};
    for (int i = 0; i < 512; ++i) s[i] = static_cast<std::uint8_t>(i % 3 == 0 ? 0x00 : i % 3 == 1 ? 0x7F : 0xC4);
    s[51] = 'A';
    const auto memo = DecodeMemo(RowOf("Sound", "S-50"), s);
    for (int i = 51; i <= 110; ++i) EXPECT_EQ(s[i], i == 51 ? 'A' : ' ') << "offset " << i;
    EXPECT_EQ(s[50], 0xC4);  // outside the 60 bytes: untouched
    EXPECT_EQ(s[111], 0x00);
    EXPECT_EQ(memo.name, "A           ");
    EXPECT_EQ(memo.memoLines[3], std::string(12, ' '));
    EXPECT_EQ(memo.title, "A");
}

TEST(DecodeMemo, SystemLinesAt32_64_96) {
    Sector s{};
    std::memcpy(s.data() + 32, "  W-30 SYSTEM  DISK", 19);
    std::memcpy(s.data() + 64, "second", 6);
    std::fill_n(s.data() + 96, 31, 'x');
    s[63] = 0xFE; // byte 31 of the slot is not part of the line
    const auto memo = DecodeMemo(RowOf("System", "W-30"), s);
    EXPECT_EQ(memo.kind, DiskMemo::Lines);
    EXPECT_EQ(memo.systemLines[0], "  W-30 SYSTEM  DISK");
    EXPECT_EQ(memo.systemLines[1], "second");
    EXPECT_EQ(memo.systemLines[2], std::string(31, 'x'));
    EXPECT_EQ(memo.title, "W-30 SYSTEM DISK");
}

TEST(DecodeMemo, SongDiskShowsItsVolumeLabel) {
    Sector s{};
    std::memcpy(s.data(), "MY SONGS   \x08", 12);
    std::memcpy(s.data() + 32, "SONG    DIR", 11);
    const auto memo = DecodeMemo(RowOf("Song", "W-30"), s);
    EXPECT_EQ(memo.kind, DiskMemo::Lines);
    EXPECT_EQ(memo.systemLines[0], "MY SONGS   ");
    EXPECT_EQ(memo.systemLines[1], "");
    EXPECT_EQ(memo.systemLines[2], "");
    EXPECT_EQ(memo.title, "MY SONGS");
}

TEST(DecodeMemo, NoMemo) {
    Sector s{};
    s.fill('Q');
    const auto memo = DecodeMemo(FallbackDefinition(), s);
    EXPECT_EQ(memo.kind, DiskMemo::None);
    EXPECT_EQ(memo.title, "");
    EXPECT_EQ(s[60], 'Q');
}

TEST(CleanTitle, RunsAndEdges) {
    EXPECT_EQ(CleanTitle("  a   b  "), "a b");
    EXPECT_EQ(CleanTitle("\t a\t"), "a");
    EXPECT_EQ(CleanTitle("a\t\tb"), "a\t\tb"); // only blanks are squeezed
    EXPECT_EQ(CleanTitle("   "), "");
    EXPECT_EQ(CleanTitle(""), "");
}

TEST(EncodeMemo, SoundMemoWritesOnlyItsFields) {
    Sector s;
    s.fill(0x55);
    const auto& row = RowOf("Sound", "S550");
    DiskMemo memo = DecodeMemo(row, s);
    memo.name = "NEW\x01\xFFNAME"; // unprintable characters become blanks
    memo.memoLines = {"one", "two", "three", "a line longer than twelve"};
    ASSERT_TRUE(EncodeMemo(memo, row, s));
    for (int i = 0; i < 51; ++i) EXPECT_EQ(s[i], 0x55);
    for (int i = 111; i < 512; ++i) EXPECT_EQ(s[i], 0x55);
    const auto back = DecodeMemo(row, s);
    EXPECT_EQ(back.name, "NEW  NAME   ");
    EXPECT_EQ(back.memoLines[0], "one         ");
    EXPECT_EQ(back.memoLines[2], "three       ");
    EXPECT_EQ(back.memoLines[3], "a line longe");
}

TEST(EncodeMemo, SystemLinesKeepTheSlotEndByte) {
    Sector s{};
    s[63] = 0xFE;
    s[95] = 0xFE;
    s[127] = 0xFE;
    const auto& row = RowOf("System", "W-30");
    DiskMemo memo = DecodeMemo(row, s);
    memo.systemLines = {"first", "second", std::string(40, 'z')};
    ASSERT_TRUE(EncodeMemo(memo, row, s));
    EXPECT_EQ(s[63], 0xFE);
    EXPECT_EQ(s[95], 0xFE);
    EXPECT_EQ(s[127], 0xFE);
    const auto back = DecodeMemo(row, s);
    EXPECT_EQ(back.systemLines[0], "first" + std::string(26, ' '));
    EXPECT_EQ(back.systemLines[2], std::string(31, 'z'));
}

TEST(EncodeMemo, SongLabelAndMissingMemoAreNotWritten) {
    Sector s{};
    s.fill(0x11);
    const Sector before = s;
    DiskMemo memo;
    memo.kind = DiskMemo::Lines;
    memo.systemLines[0] = "NEW LABEL";
    EXPECT_FALSE(EncodeMemo(memo, RowOf("Song", "W-30"), s));
    EXPECT_FALSE(EncodeMemo(memo, FallbackDefinition(), s));
    memo.kind = DiskMemo::Sound; // a memo of the wrong form for the row
    EXPECT_FALSE(EncodeMemo(memo, RowOf("System", "W-30"), s));
    EXPECT_EQ(s, before);
}

} // namespace
} // namespace veldin
