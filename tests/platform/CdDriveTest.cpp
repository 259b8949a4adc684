#include <gtest/gtest.h>

#include <cerrno>

#include "cd/CdMessages.h"
#include "cd/CdTables.h"
#include "platform/CdDrive.h"
#include "tests/support/TestSupport.h"

namespace veldin::platform {
namespace {

namespace fs = std::filesystem;

TEST(CdDrive, ReadCdCommandBlock) {
    using A = std::array<std::uint8_t, 12>;
    EXPECT_EQ(ReadCdCommand(0x01020304), (A{0xBE, 0x08, 1, 2, 3, 4, 0, 0, 1, 0xF8, 0, 0}));
    EXPECT_EQ(ReadCdCommand(0xFFFFFFFE), (A{0xBE, 0x08, 0xFF, 0xFF, 0xFF, 0xFE, 0, 0, 1, 0xF8, 0, 0}));
    EXPECT_EQ(ReadCapacityCommand()[0], 0x25);
}

TEST(CdDrive, DrivesAreListedInNumberOrder) {
    test::TempDir dev;
    for (const char* name : {"sr10", "sda", "sr2", "sr", "srx", "sr0", "sg0", "sr1a"})
        test::WriteFile(dev / name, {});
    const auto drives = ListCdDrives(dev.path());
    EXPECT_EQ(drives, (std::vector<fs::path>{dev / "sr0", dev / "sr2", dev / "sr10"}));
    EXPECT_TRUE(ListCdDrives(dev / "missing").empty());
}

TEST(CdDrive, ADeviceThatCannotBeOpenedIsRefused) {
    test::TempDir dir;
    const auto r = CdDrive::open(dir / "sr9");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.failure().text, "Can't open the CD-ROM drive!");
    EXPECT_EQ(r.failure().icon, Icon::Warning);
}

#if defined(__linux__)
TEST(CdDrive, ACommandTheDeviceRefusesGivesItsErrorNumber) {
    // A plain file opens like a device but knows no SCSI commands: the pass-through
    // fails with ENOTTY, and that number is what the user sees.
    test::TempDir dir;
    test::WriteFile(dir / "sr0", std::vector<std::uint8_t>(8192, 0));
    auto drive = CdDrive::open(dir / "sr0");
    ASSERT_TRUE(drive.ok());
    EXPECT_EQ((*drive)->blockCount(), 0u);
    const auto tables = cd::LoadTables(**drive);
    ASSERT_FALSE(tables.ok());
    EXPECT_EQ(tables.failure().text, "Errorcode: " + std::to_string(ENOTTY) + "\r\n\r\n");
    EXPECT_EQ(tables.failure().icon, Icon::Error);
}
#endif

} // namespace
} // namespace veldin::platform
