// Commands given a folder where they expect a file: the same fixed text and exit code as
// for a missing file, no abort, and the image left alone.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/FileRead.h"
#include "tests/cli/CliRun.h"

namespace veldin::cli {
namespace {

using veldin::test::ReadFile;
using veldin::test::TempDir;
using veldin::test::WriteFile;

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
