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
    ExpectHas(r.err, "2 sectors skipped, zero-filled in the image: 17, 300\n");
    const auto image = test::ReadFile(out);
    ASSERT_EQ(image.size(), 737280u);
    for (std::size_t n = 0; n < 1440; ++n) {
        const bool bad = n == 17 || n == 300;
        for (std::size_t i = n * 512; i < (n + 1) * 512; ++i)
            if (image[i] != (bad ? 0 : source[i])) FAIL() << "sector " << n << " byte " << i;
    }
    ExpectHas(r.out, "┌──────────────┐");
    ExpectHas(r.out, "Image:      " + out.string());
}

TEST_F(FloppyCli, ReadIntoADirectoryNamesTheImageAfterTheDisk) {
    fs::create_directory(dir / "images");
    const auto r = Ok({"floppy", "read", drive.string(), (dir / "images").string()});
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
    r = Ok({"floppy", "write", (dir / "good.s55").string(), drive.string()});
    ExpectHas(r.out, "Sampler: S550");
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
        {{"floppy", "read", d, a, "--geometry", "80x2x18"}, kRefused,
         "veldin-cli: Floppy is not formatted as DD(Double Density/720kB)!\n"},
        {{"floppy", "info", (dir / "no-such-device").string()}, kRefused, "veldin-cli: Couldn't open floppy drive!\n"},
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

} // namespace
} // namespace veldin::cli
