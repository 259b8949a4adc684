// The file-backed drive, its fault options, the Linux drive's refusals that can be
// checked without hardware, and child processes.
#include <gtest/gtest.h>

#include <thread>

#include "core/Messages.h"
#include "platform/Drives.h"
#include "platform/FileFloppy.h"
#include "platform/LinuxFloppy.h"
#include "platform/PosixProcess.h"
#include "tests/support/TestSupport.h"

namespace veldin {
namespace {

using Kind = SectorFault::Kind;

std::unique_ptr<FloppyDevice> Open(FloppyDrive& drive, DriveAccess access) {
    auto r = drive.open(access);
    if (!r) ADD_FAILURE() << r.failure().text;
    return r ? std::move(r).value() : nullptr;
}

TEST(ParseFault, AcceptsTheThreeFormsAndRefusesEverythingElse) {
    for (const auto& [text, fault] : {std::pair{"17:always", SectorFault{17, Kind::Always, 0}},
                                      {"300:fail=2", SectorFault{300, Kind::FailTimes, 2}},
                                      {"0:slow=250", SectorFault{0, Kind::Slow, 250}},
                                      {"1439:fail=1000000", SectorFault{1439, Kind::FailTimes, 1000000}}})
        EXPECT_EQ(ParseFault(text), fault) << text;
    for (const char* bad : {"", "17", "17:", ":always", "1440:always", "-1:always", "17:sometimes", "17:fail",
                            "17:fail=", "17:fail=-1", "17:fail=1000001", "17:slow=60001", "17:fail=2x", " 17:always",
                            "17:always ", "99999999999:always", "17:fail=99999999999"})
        EXPECT_FALSE(ParseFault(bad).has_value()) << bad;
}

TEST(ParseFaultPlan, ItemsSeparatedByBlanks) {
    const auto plan = ParseFaultPlan("  17:always\t300:fail=2 no-medium geometry=80x2x18 slow-ms=5 ");
    ASSERT_TRUE(plan.has_value());
    EXPECT_EQ(plan->faults, (std::vector<SectorFault>{{17, Kind::Always, 0}, {300, Kind::FailTimes, 2}}));
    EXPECT_EQ(std::tuple(plan->noMedium, plan->geometry, plan->slowMs),
              std::tuple(true, MediumGeometry{80, 2, 18}, 5u));
    EXPECT_TRUE(ParseFaultPlan("").value().empty());
    for (const char* bad : {"17:always,300:fail=2", "no-medium x", "geometry=80x2", "slow-ms=60001", "1440:always",
                            "slow-ms="})
        EXPECT_FALSE(ParseFaultPlan(bad).has_value()) << bad;
}

TEST(ParseGeometry, TracksHeadsSectors) {
    EXPECT_EQ(ParseGeometry("80x2x9"), kDoubleDensity);
    EXPECT_EQ(ParseGeometry("80x2x18"), (MediumGeometry{80, 2, 18}));
    for (const char* bad : {"", "80x2", "80x2x9x1", "80x2x", "x2x9", "256x2x9", "80X2X9", "80x2x9 "})
        EXPECT_FALSE(ParseGeometry(bad).has_value()) << bad;
}

class FileDriveTest : public ::testing::Test {
protected:
    void SetUp() override { test::WriteFile(image, std::vector<std::uint8_t>(static_cast<std::size_t>(kImageSize), 7)); }
    test::TempDir dir;
    std::filesystem::path image = dir / "drive.img";
};

TEST_F(FileDriveTest, OpensForEveryAccessAndReadsBySectorNumber) {
    auto bytes = test::ReadFile(image);
    bytes[1439 * 512 + 511] = 0x42;
    test::WriteFile(image, bytes);
    FileFloppyDrive drive(image, {});
    EXPECT_EQ(drive.kind(), DriveKind::File);
    for (auto access : {DriveAccess::Read, DriveAccess::Write, DriveAccess::Format}) EXPECT_TRUE(drive.open(access).ok());
    auto device = Open(drive, DriveAccess::Read);
    std::array<std::uint8_t, kSectorSize> sector{};
    ASSERT_TRUE(device->readSector(1439, sector));
    EXPECT_EQ(sector[511], 0x42);
    EXPECT_FALSE(device->readSector(1440, sector));
}

TEST_F(FileDriveTest, NoMediumAndMissingFile) {
    FileFloppyDrive empty(image, FaultPlan{{}, true, {}, 0});
    EXPECT_EQ(empty.open(DriveAccess::Read).failure(), Fail(text::kNoFloppy, Icon::Error));
    FileFloppyDrive missing(dir / "none.img", {});
    EXPECT_EQ(missing.open(DriveAccess::Read).failure().text, text::kCantOpenDrive);
}

TEST_F(FileDriveTest, OtherGeometryCanBeFormattedButNotReadOrWritten) {
    const auto check = [](FileFloppyDrive& drive) {
        for (auto access : {DriveAccess::Read, DriveAccess::Write}) {
            auto r = drive.open(access);
            ASSERT_FALSE(r.ok());
            EXPECT_EQ(r.failure(), Fail(text::kNotDoubleDensity, Icon::Warning));
        }
        EXPECT_TRUE(drive.open(DriveAccess::Format).ok());
    };
    FileFloppyDrive highDensity(image, FaultPlan{{}, false, MediumGeometry{80, 2, 18}, 0});
    check(highDensity);
    // A file one byte short or long is not a 720 KB medium either.
    for (long delta : {-1L, 1L}) {
        test::WriteFile(image, std::vector<std::uint8_t>(static_cast<std::size_t>(kImageSize + delta), 0));
        FileFloppyDrive odd(image, {});
        check(odd);
    }
}

TEST_F(FileDriveTest, FaultsFailTheirAttemptsAndCountsOutliveTheDevice) {
    FileFloppyDrive drive(image, FaultPlan{{{3, Kind::Always, 0}, {4, Kind::FailTimes, 2}}, false, {}, 0});
    std::array<std::uint8_t, kSectorSize> sector{};
    {
        auto device = Open(drive, DriveAccess::Write);
        EXPECT_FALSE(device->readSector(3, sector));
        EXPECT_FALSE(device->writeSector(3, sector));
        EXPECT_FALSE(device->readSector(4, sector));
    }
    auto device = Open(drive, DriveAccess::Read);
    EXPECT_FALSE(device->readSector(4, sector)); // the second failure, on a new device
    EXPECT_TRUE(device->readSector(4, sector));
    EXPECT_TRUE(device->readSector(5, sector));
    EXPECT_EQ(std::tuple(drive.log().reads[3], drive.log().writes[3], drive.log().reads[4]), std::tuple(1u, 1u, 3u));
}

TEST_F(FileDriveTest, DriveForPathTellsFilesFromDevices) {
    EXPECT_EQ(DriveForPath(image)->kind(), DriveKind::File);
    auto device = DriveForPath(dir / "fd9");
    EXPECT_NE(device->kind(), DriveKind::File);
    EXPECT_EQ(device->path(), (dir / "fd9").string());
}

TEST(LinuxFloppyDrive, RefusesWhatIsNotABlockDevice) {
    test::TempDir dir;
    test::WriteFile(dir / "file.img", std::vector<std::uint8_t>(static_cast<std::size_t>(kImageSize), 0));
    for (const auto& path : {(dir / "missing").string(), (dir / "file.img").string(), std::string("/dev/null")}) {
        LinuxFloppyDrive drive(path);
        auto r = drive.open(DriveAccess::Read);
        ASSERT_FALSE(r.ok()) << path;
        EXPECT_EQ(r.failure().text, text::kCantOpenDrive) << path;
    }
}

TEST(PosixProcessRunner, ExitStatusAndPrograms) {
    PosixProcessRunner runner;
    std::atomic<bool> stop{false};
    EXPECT_EQ(runner.run({"sh", "-c", "exit 0"}, stop).exitCode, 0);
    auto failed = runner.run({"sh", "-c", "exit 3"}, stop);
    EXPECT_EQ(std::tuple(failed.started, failed.stopped, failed.exitCode), std::tuple(true, false, 3));
    EXPECT_FALSE(runner.run({"veldin-no-such-formatter"}, stop).started);
    EXPECT_FALSE(runner.run({}, stop).started);
}

TEST(PosixProcessRunner, AStopEndsTheProgramAndWhatItStarted) {
    test::TempDir dir;
    const auto marker = dir / "still-running";
    PosixProcessRunner runner;
    std::atomic<bool> stop{false};
    // The shell starts a child that would leave a marker after a while; both must go.
    std::thread stopper([&] {
        while (!std::filesystem::exists(dir / "started")) std::this_thread::yield();
        stop.store(true);
    });
    const std::string script = "touch '" + (dir / "started").string() + "'; (sleep 1; touch '" + marker.string() +
                               "') & wait";
    auto r = runner.run({"sh", "-c", script}, stop);
    stopper.join();
    EXPECT_EQ(std::tuple(r.started, r.stopped, r.exitCode), std::tuple(true, true, -1));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_FALSE(std::filesystem::exists(marker));
}

} // namespace
} // namespace veldin
