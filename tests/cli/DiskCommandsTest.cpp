// veldin-cli on whole images: new, convert, memo and recover; floppy with an image file
// acting as the drive; and commands given a folder where they expect a file, which get
// the same fixed text and exit code as for a missing file, no abort, and the image left
// alone.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "core/Document.h"
#include "core/FileRead.h"
#include "tests/cli/CliRun.h"
#include "tests/support/TestWorkspace.h"

namespace veldin::cli {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using veldin::test::ReadFile;
using veldin::test::TempDir;
using veldin::test::WriteFile;

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
    EXPECT_EQ(test::ReadFile(source), original);
}

TEST_F(DocumentCommandsTest, MemoIsCentredRecordedAndSaved) {
    const auto p = w.demo("demo.s33");
    auto r = cli({"memo", p.string(), "--name", "Strings", "--line", "1", "Slow", "--line", "4", "123456789012"});
    ASSERT_EQ(r.rc, 0) << r.err;
    ExpectHas(r.out, "Name: \"  Strings   \"\n");
    ExpectHas(r.out, "Line 1: \"    Slow    \"\n");
    ExpectHas(r.out, "Line 4: \"123456789012\"\n");
    // Read back from the file (its bytes: the memo encoder's tests).
    r = cli({"memo", p.string()});
    ExpectHas(r.out, "Line 4: \"123456789012\"\n");
    EXPECT_TRUE(w.sessionFiles().empty());
}

TEST_F(DocumentCommandsTest, MemoWithOutputLeavesTheImageAlone) {
    const auto p = w.demo("demo.s55");
    const Bytes original = test::ReadFile(p);
    auto r = cli({"memo", p.string(), "--line", "2", "copy", "-o", image("out.s55")});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(test::ReadFile(p), original);
    ExpectHas(cli({"memo", image("out.s55")}).out, "Line 2: \"    copy    \"\n");
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

class FloppyCli : public ::testing::Test {
protected:
    void SetUp() override {
        source = test::ReadFile(test::DemoImage("demo.s55"));
        std::memset(source.data() + 17 * 512, 0xAB, 512);
        std::memset(source.data() + 300 * 512, 0xCD, 512);
        test::WriteFile(drive, source);
    }
    test::TempDir dir;
    fs::path drive = dir / "drive.img";
    std::vector<std::uint8_t> source;
};

TEST_F(FloppyCli, ReadWithTwoBadSectorsNamesThemAndCopiesTheRest) {
    const auto out = dir / "copy.s55";
    const auto r = Cli({"floppy", "read", drive.string(), out.string(), "--fault", "17:always", "--fault",
                        "300:fail=5", "--ignore-bad"});
    EXPECT_EQ(r.rc, kIncomplete) << r.err;
    ExpectHas(r.err, "2 sectors skipped, zero-filled in the image: 17, 300\n");
    // The zero-filled sectors and the rest: the transfer's own tests.
    EXPECT_EQ(test::ReadFile(out).size(), 737280u);
    ExpectHas(r.out, "Image:      " + out.string());
}

TEST_F(FloppyCli, ReadIntoADirectoryNamesTheImageAfterTheDisk) {
    fs::create_directory(dir / "images");
    Ok({"floppy", "read", drive.string(), (dir / "images").string()});
    EXPECT_TRUE(fs::exists(dir / "images" / "VELDIN DEMO S-550 sounds Sine_ saw and a subtone.s55"));
}

TEST_F(FloppyCli, WithoutATerminalABadSectorAbortsAndNothingIsWritten) {
    const auto r = Cli({"floppy", "read", drive.string(), (dir / "a.s55").string(), "--fault", "700:always"});
    EXPECT_EQ(r.rc, kRefused);
    ExpectHas(r.err, "Invalid Sector - 700: aborted");
    EXPECT_NE(r.err.find("aborted; no image was written"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "a.s55"));
}

TEST_F(FloppyCli, RetriesZeroIsOneAttemptAndAbove255IsHeld) {
    // One failing attempt is too many for one attempt per sector, not for two.
    auto r = Cli({"floppy", "read", drive.string(), (dir / "a.s55").string(), "--fault", "9:fail=1", "--retries", "0"});
    EXPECT_EQ(r.rc, kRefused);
    Ok({"floppy", "read", drive.string(), (dir / "a.s55").string(), "--fault", "9:fail=1", "--retries", "2"});
    // 300 would wrap to 44 attempts in a byte; held at 255 it outlasts 254 failures.
    Ok({"floppy", "read", drive.string(), (dir / "b.s55").string(), "--fault", "9:fail=254", "--retries", "300"});
}

TEST_F(FloppyCli, WriteChecksTheImageSize) {
    auto image = source;
    image.pop_back();
    test::WriteFile(dir / "short.s55", image);
    test::WriteFile(drive, std::vector<std::uint8_t>(737280, 0));
    auto r = Cli({"floppy", "write", (dir / "short.s55").string(), drive.string()});
    EXPECT_EQ(r.rc, kRefused);
    EXPECT_EQ(r.err, "veldin-cli: Couldn't continue, invalid size of diskimage!\n");
    EXPECT_TRUE(test::ReadFile(drive) == std::vector<std::uint8_t>(737280, 0));

    test::WriteFile(dir / "good.s55", source);
    Ok({"floppy", "write", (dir / "good.s55").string(), drive.string()});
    EXPECT_TRUE(test::ReadFile(drive) == source);
}

TEST_F(FloppyCli, FormatRunsTheGivenFormatter) {
    const auto log = dir / "log";
    const std::string formatter =
        "sh '" + std::string(VELDIN_TEST_DATA_DIR) + "/fake-formatter.sh' '" + log.string() + "' {device}";
    ExpectHas(Ok({"floppy", "format", drive.string(), "--formatter", formatter}).out, "Formatting floppy, please wait...");
    EXPECT_TRUE(test::ReadFile(drive) == std::vector<std::uint8_t>(737280, 0));
    const auto logged = test::ReadFile(log);
    EXPECT_EQ(std::string(logged.begin(), logged.end()), drive.string() + "\n");

    ExpectRefusals({{{"floppy", "format", drive.string(), "--formatter", "veldin-no-such-formatter {device}"}, kRefused,
                     "cannot run 'veldin-no-such-formatter'"},
                    {{"floppy", "format", drive.string(), "--formatter", "sh -c 'exit 2'"}, kRefused,
                     "ended with status 2"}});
}

TEST_F(FloppyCli, RefusalsCarryTheFixedTextsAndUsageErrorsExitWithTwo) {
    const std::string d = drive.string(), a = (dir / "a.s55").string();
    ExpectRefusals({
        {{"floppy", "info", d, "--no-medium"}, kRefused, "veldin-cli: No floppy in drive!\n"},
        {{"floppy"}, kUsage},
        {{"floppy", "dance", d}, kUsage},
        {{"floppy", "read", d}, kUsage},
        {{"floppy", "info", d, "--fault", "17:sometimes"}, kUsage},
        {{"floppy", "info", d, "--retries", "-1"}, kUsage},
        {{"floppy", "info", d, "--geometry", "80x2"}, kUsage},
        {{"floppy", "info", d, "--slow-ms", "100000"}, kUsage},
        {{"floppy", "read", d, "x", "--formatter", "true"}, kUsage},
        {{"floppy", "format", d, "--formatter", "a &&"}, kUsage},
        {{"floppy", "info", "/dev/null", "--fault", "1:always"}, kUsage},
    });
    test::WriteFile(drive, std::vector<std::uint8_t>(737280, 0));
    ExpectRefusals({{{"floppy", "read", d, a}, kRefused,
                     "veldin-cli: Couldn't continue, floppy is not Roland S50/S330/S550/W30!\n"}});
    EXPECT_FALSE(fs::exists(dir / "a.s55"));
}

TEST(ReadFileBytes, FoldersAndMissingPathsFailWithTheCallersText) {
    TempDir dir;
    WriteFile(dir / "f.bin", std::vector<std::uint8_t>{1, 2, 3});
    WriteFile(dir / "empty.bin", std::vector<std::uint8_t>{});
    auto whole = ReadFileBytes(dir / "f.bin");
    ASSERT_TRUE(whole.ok());
    EXPECT_EQ(*whole, (std::vector<std::uint8_t>{1, 2, 3}));
    ASSERT_TRUE(ReadFileBytes(dir / "empty.bin").ok());
    EXPECT_TRUE(ReadFileBytes(dir / "empty.bin")->empty());
    for (const auto& p : {dir.path(), dir / "missing"}) {
        auto r = ReadFileBytes(p, "No.");
        ASSERT_FALSE(r.ok()) << p;
        EXPECT_EQ(r.failure().text, "No.");
    }
    EXPECT_EQ(ReadFileBytes(dir.path()).failure().text, "Couldn't open specified file!");
}

TEST(CliFolderInput, EveryFileReadingCommandRefusesAFolderLikeAMissingFile) {
    TempDir dir;
    const std::string main = veldin::test::BinDir().string();
    std::filesystem::create_directory(dir / "folder");
    std::filesystem::create_directory(dir / "folder.pat");
    WriteFile(dir / "d.s55", EmptyImage("S550.dat"));
    WriteFile(dir / "d.sng", ReadFile(veldin::test::DemoImage("demo.sng")));
    const std::string s55 = (dir / "d.s55").string(), sng = (dir / "d.sng").string();
    struct Row {
        std::vector<std::string> before, after; // the command around the file argument
        std::string image;                      // the image that must stay as it was
        std::string extension = "";
    } rows[] = {
        {{"tone", "load", s55}, {"--bank", "A"}, s55},
        {{"tone", "import-wav", s55}, {"--bank", "A", "--main-dir", main}, s55},
        {{"patch", "load", s55}, {"--main-dir", main}, s55, ".pat"},
        {{"song", "load", sng}, {}, sng},
        {{"song", "from-midi", sng}, {}, sng},
        {{"unpack"}, {(dir / "out").string()}, sng},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.before[0] + " " + (row.before.size() > 1 ? row.before[1] : ""));
        const auto imageBefore = ReadFile(row.image);
        auto run = [&](const std::string& file) {
            Args args(row.before.begin(), row.before.end());
            args.push_back(file);
            args.insert(args.end(), row.after.begin(), row.after.end());
            return Cli(args);
        };
        const CliResult missing = run((dir / ("missing" + row.extension)).string());
        const CliResult folder = run((dir / ("folder" + row.extension)).string());
        EXPECT_EQ(folder.rc, 1) << folder.err;
        EXPECT_EQ(folder.rc, missing.rc);
        EXPECT_EQ(folder.err, missing.err);
        EXPECT_FALSE(folder.err.empty());
        EXPECT_EQ(ReadFile(row.image), imageBefore);
        EXPECT_FALSE(std::filesystem::exists(dir / "out"));
    }
}

} // namespace
} // namespace veldin::cli
