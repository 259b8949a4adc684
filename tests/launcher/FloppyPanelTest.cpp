// The panel texts of the floppy transfer.
#include <gtest/gtest.h>

#include <cstdlib>

#include "launcher/FloppyPanel.h"
#include "launcher/FloppyTexts.h"
#include "tests/support/TestSupport.h"

namespace veldin {
namespace {

DiskMemo SoundMemo() {
    DiskMemo m;
    m.kind = DiskMemo::Sound;
    m.samplerName = "S550";
    m.kindName = "Sound";
    m.name = "MY DISK     ";
    m.memoLines = {"Strings     ", "Brass       ", "            ", "Choir       "};
    return m;
}

const std::string kTop = "\xDA" + std::string(14, '\xC4') + "\xBF";
const std::string kBottom = "\xC0" + std::string(14, '\xC4') + "\xD9";
std::string Row(const std::string& twelve) { return "\xB3 " + twelve + " \xB3"; }

TEST(SummaryText, SoundMemoInACodePage437Box) {
    const std::string expected = "Sampler: S550             \r\n"
                                 "Type: Sound               \r\n" +
                                 kTop + "\r\n" + Row("MY DISK     ") + "\r\n" + Row("Strings     ") + "\r\n" +
                                 Row("Brass       ") + "\r\n" + Row("            ") + "\r\n" + Row("Choir       ") +
                                 "\r\n" + kBottom;
    EXPECT_EQ(SummaryText(SoundMemo()), expected);
    auto unnamed = SoundMemo();
    unnamed.name.clear();
    EXPECT_NE(SummaryText(unnamed).find(Row(std::string(12, ' '))), std::string::npos);
    // The cylinder counter ends the first line.
    EXPECT_EQ(SummaryText(SoundMemo(), 1).substr(0, 30), "Sampler: S550             01\r\n");
}

TEST(SummaryText, LineMemoAndNoMemo) {
    DiskMemo lines;
    lines.kind = DiskMemo::Lines;
    lines.samplerName = "W30";
    lines.kindName = "System";
    lines.systemLines = {"W-30 SYSTEM", "V1.07", ""};
    EXPECT_EQ(SummaryText(lines), "Sampler: W30              \r\n"
                                  "Type: System              \r\n"
                                  "       W-30 SYSTEM\r\n"
                                  "       V1.07\r\n"
                                  "       ");
    DiskMemo none;
    none.samplerName = "Unknown";
    none.kindName = "Unknown";
    EXPECT_EQ(SummaryText(none), "Sampler: Unknown          \r\n"
                                 "Type: Unknown             \r\n" +
                                     std::string(16, ' '));
}

TEST(CylinderCounter, OnlyAtTheStartOfACylinderAndAfterTheFormattingText) {
    EXPECT_EQ(CylindersLeft(0), 80);
    EXPECT_EQ(CylindersLeft(1422), 1);
    EXPECT_EQ(TwoDigits(*CylindersLeft(1422)), "01");
    for (std::uint32_t n : {1u, 17u, 19u, 1423u, 1439u}) EXPECT_FALSE(CylindersLeft(n).has_value()) << n;
    EXPECT_EQ(FormattingText(), "\n\r\n\r\n\rFormatting floppy, please wait...");
    EXPECT_EQ(FormattingText(0), "\n\r\n\r\n\rFormatting floppy, please wait...79");
}

TEST(Cp437ToUtf8, BoxAndControlBytes) {
    EXPECT_EQ(Cp437ToUtf8(kTop.substr(0, 2) + "\xBF\xB3\xC0\xD9"), "┌─┐│└┘");
    EXPECT_EQ(Cp437ToUtf8("Sampler:\r\n\x01\x7F"), "Sampler:\r\n\x01\x7F");
}

// Against the C library's converter, for every byte of the upper half.
TEST(Cp437ToUtf8, MatchesIconv) {
    if (std::system("iconv --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "iconv is not installed";
    test::TempDir dir;
    std::vector<std::uint8_t> high;
    for (int b = 0x80; b <= 0xFF; ++b) high.push_back(static_cast<std::uint8_t>(b));
    test::WriteFile(dir / "in", high);
    const std::string cmd =
        "iconv -f CP437 -t UTF-8 '" + (dir / "in").string() + "' > '" + (dir / "out").string() + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const auto expected = test::ReadFile(dir / "out");
    EXPECT_EQ(Cp437ToUtf8(std::string(high.begin(), high.end())), std::string(expected.begin(), expected.end()));
}

TEST(CaptionTables, TheMenuListsItselfThePreparedStagesDoNot) {
    EXPECT_EQ(CaptionListing(CaptionsFor(FloppyStage::Menu)), "F1:Read floppy to diskimage file\r\n"
                                    "F2:Write diskimage file to floppy\r\n"
                                    "F3:Format floppy\r\n"
                                    "F4:Exit\r\n"
                                    "F5:\r\n");
    for (auto stage : {FloppyStage::ReadPrepared, FloppyStage::WritePrepared, FloppyStage::FormatPrepared, FloppyStage::Running})
        EXPECT_EQ(CaptionListing(CaptionsFor(stage)), "") << static_cast<int>(stage);
}

} // namespace
} // namespace veldin
