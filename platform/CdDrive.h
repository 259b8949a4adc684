#pragma once
// CD-ROM drives read sector by sector with the SCSI command READ CD (BEh), passed through
// to the drive (Linux: SG_IO on /dev/sr*). Nothing is ever written to the disc.

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "cd/DiscSource.h"
#include "cd/RawSector.h"
#include "core/Result.h"

namespace veldin::platform {

// READ CD for one block: expected sector type Mode 1 (byte 1 = 08h), the block number
// big-endian in bytes 2-5, a transfer length of 1 block in bytes 6-8, and byte 9 = F8h:
// sync, all headers, user data and EDC/ECC, 2,352 bytes in all.
std::array<std::uint8_t, 12> ReadCdCommand(std::uint32_t block);

// READ CAPACITY (10): the last block number and the block length, big-endian.
std::array<std::uint8_t, 10> ReadCapacityCommand();

// The CD-ROM drives below `devDir`: "sr0", "sr1", ... in the order of their numbers.
std::vector<std::filesystem::path> ListCdDrives(const std::filesystem::path& devDir = "/dev");

class CdDrive final : public cd::DiscSource {
public:
    // Opens for reading and writing (SCSI pass-through wants it), failing that for
    // reading only; otherwise "Can't open the CD-ROM drive!" (warning).
    static Result<std::unique_ptr<CdDrive>> open(const std::filesystem::path& device);
    ~CdDrive() override;
    CdDrive(const CdDrive&) = delete;
    CdDrive& operator=(const CdDrive&) = delete;

    // Asked from the drive (READ CAPACITY) until it answers; 0 while it has no disc.
    std::uint64_t blockCount() override;
    // One READ CD per block; the user data follow the 16 bytes of sync and header. A
    // failed request gives the system's error number, a failed command EIO.
    Status readBlocks(std::uint64_t first, std::span<std::uint8_t> out) override;

private:
    explicit CdDrive(int fd) : fd_(fd) {}
    int fd_;
    std::uint64_t blocks_ = 0;
    std::array<std::uint8_t, cd::kRawSectorSize> raw_{};
};

} // namespace veldin::platform
