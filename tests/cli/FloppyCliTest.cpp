// veldin-cli floppy with an image file acting as the drive.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/cli/CliRun.h"

namespace veldin::cli {
namespace {

namespace fs = std::filesystem;

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
    EXPECT_NE(r.err.find("2 sectors skipped, zero-filled in the image: 17, 300\n"), std::string::npos) << r.err;
    const auto image = test::ReadFile(out);
    ASSERT_EQ(image.size(), 737280u);
    for (std::size_t n = 0; n < 1440; ++n) {
        const bool bad = n == 17 || n == 300;
        for (std::size_t i = n * 512; i < (n + 1) * 512; ++i)
            if (image[i] != (bad ? 0 : source[i])) FAIL() << "sector " << n << " byte " << i;
    }
    EXPECT_NE(r.out.find("┌──────────────┐"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Image:      " + out.string()), std::string::npos);
}

TEST_F(FloppyCli, ReadIntoADirectoryNamesTheImageAfterTheDisk) {
    fs::create_directory(dir / "images");
    const auto r = Cli({"floppy", "read", drive.string(), (dir / "images").string()});
    EXPECT_EQ(r.rc, kOk) << r.err;
    EXPECT_TRUE(fs::exists(dir / "images" / "VELDIN DEMO S-550 sounds Sine_ saw and a subtone.s55"));
}

TEST_F(FloppyCli, WithoutATerminalABadSectorAbortsAndNothingIsWritten) {
    const auto r = Cli({"floppy", "read", drive.string(), (dir / "a.s55").string(), "--fault", "700:always"});
    EXPECT_EQ(r.rc, kRefused);
    EXPECT_NE(r.err.find("Invalid Sector - 700: aborted"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("aborted; no image was written"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "a.s55"));
}

TEST_F(FloppyCli, RetriesZeroIsOneAttemptAndAbove255IsHeld) {
    // One failing attempt is too many for one attempt per sector, not for two.
    auto r = Cli({"floppy", "read", drive.string(), (dir / "a.s55").string(), "--fault", "9:fail=1", "--retries", "0"});
    EXPECT_EQ(r.rc, kRefused);
    r = Cli({"floppy", "read", drive.string(), (dir / "a.s55").string(), "--fault", "9:fail=1", "--retries", "2"});
    EXPECT_EQ(r.rc, kOk) << r.err;
    // 300 would wrap to 44 attempts in a byte; held at 255 it outlasts 254 failures.
    r = Cli({"floppy", "read", drive.string(), (dir / "b.s55").string(), "--fault", "9:fail=254", "--retries", "300"});
    EXPECT_EQ(r.rc, kOk) << r.err;
}

TEST_F(FloppyCli, RefusalsCarryTheFixedTexts) {
    auto r = Cli({"floppy", "info", drive.string(), "--no-medium"});
    EXPECT_EQ(r.rc, kRefused);
    EXPECT_EQ(r.err, "veldin-cli: No floppy in drive!\n");
    r = Cli({"floppy", "read", drive.string(), (dir / "a.s55").string(), "--geometry", "80x2x18"});
    EXPECT_EQ(r.rc, kRefused);
    EXPECT_EQ(r.err, "veldin-cli: Floppy is not formatted as DD(Double Density/720kB)!\n");
    r = Cli({"floppy", "info", (dir / "no-such-device").string()});
    EXPECT_EQ(r.rc, kRefused);
    EXPECT_EQ(r.err, "veldin-cli: Couldn't open floppy drive!\n");

    test::WriteFile(drive, std::vector<std::uint8_t>(737280, 0));
    r = Cli({"floppy", "read", drive.string(), (dir / "a.s55").string()});
    EXPECT_EQ(r.rc, kRefused);
    EXPECT_EQ(r.err, "veldin-cli: Couldn't continue, floppy is not Roland S50/S330/S550/W30!\n");
    EXPECT_FALSE(fs::exists(dir / "a.s55"));
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
    r = Cli({"floppy", "write", (dir / "good.s55").string(), drive.string()});
    EXPECT_EQ(r.rc, kOk) << r.err;
    EXPECT_NE(r.out.find("Sampler: S550"), std::string::npos);
    EXPECT_TRUE(test::ReadFile(drive) == source);
}

TEST_F(FloppyCli, FormatRunsTheGivenFormatter) {
    const auto log = dir / "log";
    const std::string formatter =
        "sh '" + std::string(VELDIN_TEST_DATA_DIR) + "/fake-formatter.sh' '" + log.string() + "' {device}";
    auto r = Cli({"floppy", "format", drive.string(), "--formatter", formatter});
    EXPECT_EQ(r.rc, kOk) << r.err;
    EXPECT_NE(r.out.find("Formatting floppy, please wait..."), std::string::npos);
    EXPECT_TRUE(test::ReadFile(drive) == std::vector<std::uint8_t>(737280, 0));
    const auto logged = test::ReadFile(log);
    EXPECT_EQ(std::string(logged.begin(), logged.end()), drive.string() + "\n");

    r = Cli({"floppy", "format", drive.string(), "--formatter", "veldin-no-such-formatter {device}"});
    EXPECT_EQ(r.rc, kRefused);
    EXPECT_NE(r.err.find("cannot run 'veldin-no-such-formatter'"), std::string::npos);
    r = Cli({"floppy", "format", drive.string(), "--formatter", "sh -c 'exit 2'"});
    EXPECT_EQ(r.rc, kRefused);
    EXPECT_NE(r.err.find("ended with status 2"), std::string::npos);
}

TEST_F(FloppyCli, UsageErrors) {
    const std::string d = drive.string();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"floppy"},
             {"floppy", "dance", d},
             {"floppy", "read", d},
             {"floppy", "info", d, "--fault", "17:sometimes"},
             {"floppy", "info", d, "--retries", "-1"},
             {"floppy", "info", d, "--geometry", "80x2"},
             {"floppy", "info", d, "--slow-ms", "100000"},
             {"floppy", "read", d, "x", "--formatter", "true"},
             {"floppy", "format", d, "--formatter", "a &&"},
             {"floppy", "info", "/dev/null", "--fault", "1:always"},
         }) {
        const auto r = Cli(args);
        EXPECT_EQ(r.rc, kUsage) << testing::PrintToString(args) << r.err;
    }
}

} // namespace
} // namespace veldin::cli
