#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "cd/CdMessages.h"
#include "cd/CdTables.h"
#include "cd/RawSector.h"
#include "cd/ReadUnits.h"
#include "cd/SyntheticDisc.h"
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
    EXPECT_EQ(r.failure(), Fail("Can't open the CD-ROM drive!", Icon::Warning));
}

// A drive holding a disc of raw Mode 1 sectors, answering READ CAPACITY and READ CD as a
// real one does. (What a drive does with other answers: the cd_drive fuzz target.)
class DiscInDrive final : public ScsiDevice {
public:
    explicit DiscInDrive(std::vector<std::uint8_t> raw) : raw_(std::move(raw)) {}
    int command(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> data) override {
        const auto be32 = [&](std::size_t at) {
            return std::uint32_t{cdb[at]} << 24 | std::uint32_t{cdb[at + 1]} << 16 | std::uint32_t{cdb[at + 2]} << 8 |
                   cdb[at + 3];
        };
        const std::uint64_t blocks = raw_.size() / cd::kRawSectorSize;
        if (cdb[0] == 0x25 && data.size() == 8 && blocks > 0) {
            const std::uint32_t last = static_cast<std::uint32_t>(blocks - 1);
            for (int i = 0; i < 4; ++i) data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(last >> (24 - 8 * i));
            data[4] = 0, data[5] = 0, data[6] = 0x08, data[7] = 0; // 2,048-byte blocks
            return 0;
        }
        if (cdb[0] != 0xBE || data.size() != cd::kRawSectorSize) return EIO;
        const std::uint32_t block = be32(2);
        if (block >= blocks) return EIO;
        std::copy_n(raw_.begin() + static_cast<std::ptrdiff_t>(block * cd::kRawSectorSize), data.size(), data.begin());
        return 0;
    }
    std::uint64_t sizeInBytes() override { return 0; }

private:
    std::vector<std::uint8_t> raw_;
};

TEST(CdDrive, ReadsTheTablesAndAreasOfADiscThroughTheDevice) {
    const cd::SyntheticDisc disc = cd::BuildSyntheticDisc(cd::DiscSize::Small);
    CdDrive drive(std::make_unique<DiscInDrive>(cd::ToRawImage(disc.iso)));
    EXPECT_EQ(drive.blockCount(), (disc.iso.size() + cd::kBlockSize - 1) / cd::kBlockSize);
    const auto tables = cd::LoadTables(drive);
    ASSERT_TRUE(tables.ok());
    EXPECT_EQ(tables->groups.size(), disc.groups.size());
    const auto& s = disc.sounds.back();
    const auto area = cd::ReadUnits(drive, s.firstUnit, s.units);
    ASSERT_TRUE(area.ok());
    EXPECT_TRUE(std::equal(area->begin(), area->end(), disc.iso.begin() + s.firstUnit * 512));
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
    EXPECT_EQ(tables.failure(), Fail("Errorcode: " + std::to_string(ENOTTY) + "\r\n\r\n", Icon::Error));
}
#endif

} // namespace
} // namespace veldin::platform
