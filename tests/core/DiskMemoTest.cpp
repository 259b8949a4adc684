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
    EXPECT_EQ(std::tuple(memo.kind, memo.samplerName, memo.kindName, memo.name),
              std::tuple(DiskMemo::Sound, "S550", "Sound", "MY PIANOS   "));
    EXPECT_EQ(memo.memoLines, (std::array<std::string, 4>{"GRAND 1     ", "line two    ", "third       ", "FOURTH LINE!"}));
    EXPECT_EQ(memo.title, "MY PIANOS GRAND 1 line two third FOURTH LINE!");
}

TEST(DecodeMemo, ControlAndHighBytesBecomeBlanksInTheCallersBuffer) {
    Sector s{};
    for (int i = 0; i < 512; ++i) s[i] = static_cast<std::uint8_t>(i % 3 == 0 ? 0x00 : i % 3 == 1 ? 0x7F : 0xC4);
    s[51] = 'A';
    const auto memo = DecodeMemo(RowOf("Sound", "S-50"), s);
    for (int i = 51; i <= 110; ++i) EXPECT_EQ(s[i], i == 51 ? 'A' : ' ') << "offset " << i;
    EXPECT_EQ(std::tuple(s[50], s[111]), std::tuple(0xC4, 0x00)); // outside the 60 bytes: untouched
    EXPECT_EQ(std::tuple(memo.name, memo.memoLines[3], memo.title),
              std::tuple("A           ", std::string(12, ' '), "A"));
}

TEST(DecodeMemo, SystemLinesAt32_64_96) {
    Sector s{};
    std::memcpy(s.data() + 32, "  W-30 SYSTEM  DISK", 19);
    std::memcpy(s.data() + 64, "second", 6);
    std::fill_n(s.data() + 96, 31, 'x');
    s[63] = 0xFE; // byte 31 of the slot is not part of the line
    const auto memo = DecodeMemo(RowOf("System", "W-30"), s);
    EXPECT_EQ(memo.kind, DiskMemo::Lines);
    EXPECT_EQ(memo.systemLines, (std::array<std::string, 3>{"  W-30 SYSTEM  DISK", "second", std::string(31, 'x')}));
    EXPECT_EQ(memo.title, "W-30 SYSTEM DISK");
}

TEST(DecodeMemo, SongDiskShowsItsVolumeLabel) {
    Sector s{};
    std::memcpy(s.data(), "MY SONGS   \x08", 12);
    std::memcpy(s.data() + 32, "SONG    DIR", 11);
    const auto memo = DecodeMemo(RowOf("Song", "W-30"), s);
    EXPECT_EQ(memo.kind, DiskMemo::Lines);
    EXPECT_EQ(memo.systemLines, (std::array<std::string, 3>{"MY SONGS   ", "", ""}));
    EXPECT_EQ(memo.title, "MY SONGS");
}

TEST(DecodeMemo, NoMemo) {
    Sector s{};
    s.fill('Q');
    const auto memo = DecodeMemo(FallbackDefinition(), s);
    EXPECT_EQ(std::tuple(memo.kind, memo.title, s[60]), std::tuple(DiskMemo::None, "", 'Q'));
}

TEST(CleanTitle, RunsAndEdges) {
    // Only blanks are squeezed.
    for (const auto& [in, out] :
         {std::pair{"  a   b  ", "a b"}, {"\t a\t", "a"}, {"a\t\tb", "a\t\tb"}, {"   ", ""}, {"", ""}})
        EXPECT_EQ(CleanTitle(in), out) << in;
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
    EXPECT_EQ(back.memoLines,
              (std::array<std::string, 4>{"one         ", "two         ", "three       ", "a line longe"}));
}

TEST(EncodeMemo, SystemLinesKeepTheSlotEndByte) {
    Sector s{};
    s[63] = s[95] = s[127] = 0xFE;
    const auto& row = RowOf("System", "W-30");
    DiskMemo memo = DecodeMemo(row, s);
    memo.systemLines = {"first", "second", std::string(40, 'z')};
    ASSERT_TRUE(EncodeMemo(memo, row, s));
    EXPECT_EQ(std::tuple(s[63], s[95], s[127]), std::tuple(0xFE, 0xFE, 0xFE));
    EXPECT_EQ(DecodeMemo(row, s).systemLines,
              (std::array<std::string, 3>{"first" + std::string(26, ' '), "second" + std::string(25, ' '),
                                          std::string(31, 'z')}));
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
