#include <gtest/gtest.h>

#include "core/Document.h"
#include "tests/cli/CliRun.h"
#include "tests/support/TestWorkspace.h"

namespace veldin::cli {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class DocumentCommandsTest : public ::testing::Test {
protected:
    CliResult cli(Args args) {
        args.push_back("--main-dir");
        args.push_back(w.main.path().string());
        return Cli(std::move(args));
    }
    std::string image(const std::string& name) const { return (w.images / name).string(); }

    test::TestWorkspace w;
};

TEST_F(DocumentCommandsTest, NewThenInfo) {
    auto r = cli({"new", "--family", "s550", image("x.s55")});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "Created " + image("x.s55") + ": S550 Sound disk\n");
    r = Cli({"info", image("x.s55")});
    ExpectHas(r.out, "Sampler:    S550\nKind:       Sound\n");
    EXPECT_TRUE(w.sessionFiles().empty());
    EXPECT_TRUE(test::TestWorkspace::Entries(w.temp.path()).empty());
}

TEST_F(DocumentCommandsTest, NewAndConvertRefusals) {
    fs::remove(w.main / "W30.dat");
    const std::string main = w.main.path().string();
    ExpectRefusals({
        {{"new", "--family", "w30", image("a.sdk"), "--main-dir", main}, 1,
         "veldin-cli: Couldn't find Roland diskimage definitions!\n"},
        {{"new", "--family", "s900", image("a.sdk"), "--main-dir", main}, 2},
        {{"new", image("a.sdk"), "--main-dir", main}, 2},
        {{"new", "--family", "s50", "--main-dir", main}, 2},
        {{"new", "--family", "--main-dir", main}, 2},
        {{"convert", image("none.s55"), "--to", "s50", image("y.s50"), "--main-dir", main}, 1,
         "veldin-cli: Couldn't open file!\n"},
        {{"convert", image("a"), image("b"), "--main-dir", main}, 2},
        {{"convert", image("a"), "--to", "s10", image("b"), "--main-dir", main}, 2},
    });
    EXPECT_FALSE(fs::exists(image("a.sdk")));
    EXPECT_FALSE(fs::exists(image("y.s50")));
}

TEST_F(DocumentCommandsTest, ConvertFollowsTheRuleForSectors126On) {
    const auto source = w.demo("demo.s55");
    Bytes original = test::ReadFile(source);
    std::fill(original.begin() + 126 * 512, original.begin() + 134 * 512, 0xAB); // a full patch area
    test::WriteFile(source, original);
    auto r = cli({"convert", source.string(), "--to", "s50", image("y.s50")});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "Wrote " + image("y.s50") + " for the S-50\n");
    const Bytes copy = test::ReadFile(image("y.s50"));
    const Bytes templ = test::ReadFile(w.main / "S50.dat");
    ASSERT_EQ(copy.size(), 737280u);
    EXPECT_TRUE(copy == test::TestWorkspace::CrossFamilyCopy(templ, original, true));
    EXPECT_EQ(copy[126 * 512 + 255], 0xAB);
    EXPECT_EQ(copy[126 * 512 + 256], 0);
    EXPECT_EQ(test::ReadFile(source), original);
}

TEST_F(DocumentCommandsTest, MemoIsCentredRecordedAndSaved) {
    const auto p = w.demo("demo.s33");
    auto r = cli({"memo", p.string(), "--name", "Strings", "--line", "1", "Slow", "--line", "4", "123456789012"});
    ASSERT_EQ(r.rc, 0) << r.err;
    ExpectHas(r.out, "Name: \"  Strings   \"\n");
    ExpectHas(r.out, "Line 1: \"    Slow    \"\n");
    ExpectHas(r.out, "Line 4: \"123456789012\"\n");

    // The file itself now carries it: the name at offset 51 of sector 134, the lines interleaved.
    const Bytes bytes = test::ReadFile(p);
    const std::size_t sector = 134 * 512;
    EXPECT_EQ(std::string(bytes.begin() + sector + 51, bytes.begin() + sector + 63), "  Strings   ");
    std::string line4;
    for (int i = 0; i < 12; ++i) line4 += static_cast<char>(bytes[sector + 63 + 4 * i + 3]);
    EXPECT_EQ(line4, "123456789012");
    r = cli({"memo", p.string()});
    ExpectHas(r.out, "Name: \"  Strings   \"\n");
    EXPECT_TRUE(w.sessionFiles().empty());
}

TEST_F(DocumentCommandsTest, MemoWithOutputLeavesTheImageAlone) {
    const auto p = w.demo("demo.s55");
    const Bytes original = test::ReadFile(p);
    auto r = cli({"memo", p.string(), "--line", "2", "copy", "-o", image("out.s55")});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(test::ReadFile(p), original);
    Bytes expected = original;
    const std::size_t sector = 134 * 512;
    for (std::size_t i = 51; i <= 110; ++i) // the decoder cleans the memo bytes
        if (expected[sector + i] < 0x20 || expected[sector + i] > 0x7E) expected[sector + i] = ' ';
    const std::string line = "    copy    ";
    for (std::size_t i = 0; i < 12; ++i) expected[sector + 63 + 4 * i + 1] = static_cast<std::uint8_t>(line[i]);
    EXPECT_EQ(test::ReadFile(image("out.s55")), expected);
}

TEST_F(DocumentCommandsTest, MemoOfLineMemoDisksAndRefusals) {
    const auto sng = w.demo("demo.sng");
    const Bytes song = test::ReadFile(sng);
    auto r = cli({"memo", sng.string(), "--line", "1", "x"});
    EXPECT_EQ(r.rc, 2);
    EXPECT_EQ(test::ReadFile(sng), song); // the volume label is only read

    const std::string s55 = w.demo("demo.s55").string(), main = w.main.path().string();
    const Bytes before = test::ReadFile(s55);
    ExpectRefusals({
        {{"memo", s55, "--line", "5", "x", "--main-dir", main}, 2},
        {{"memo", s55, "--line", "0", "x", "--main-dir", main}, 2},
        {{"memo", s55, "--line", "x", "y", "--main-dir", main}, 2},
        {{"memo", s55, "--name", "thirteen char", "--main-dir", main}, 2},
        {{"memo", s55, "--line", "1", "thirteen char", "--main-dir", main}, 2},
        {{"memo", s55, "--line", "1", "--main-dir", main}, 2},
        {{"memo", s55, "-o", image("o.s55"), "--main-dir", main}, 2},
        {{"memo", image("missing.s55"), "--main-dir", main}, 1},
    });
    EXPECT_EQ(test::ReadFile(s55), before);
}

TEST_F(DocumentCommandsTest, RecoverCleansStaleSessionsAndEditingCommandsCleanUpBeforeTheyStart) {
    test::WriteFile(w.main / "VDNxxxxxx.tmp", Bytes(10, 0));
    auto r = cli({"recover"});
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, "Removed 1 stale session(s) from " + w.main.path().string() + "; 0 in use left alone\n");
    EXPECT_TRUE(w.sessionFiles().empty());
    EXPECT_EQ(cli({"recover", "extra"}).rc, 2);
    test::WriteFile(w.main / "VDNyyyyyy.tmp", Bytes(10, 0));
    ASSERT_EQ(cli({"new", "--family", "s330", image("n.s33")}).rc, 0);
    EXPECT_TRUE(w.sessionFiles().empty());
}

} // namespace
} // namespace veldin::cli
