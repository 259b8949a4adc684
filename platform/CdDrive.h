#pragma once
// CD-ROM drives read sector by sector with the SCSI command READ CD (BEh), passed through
// to the drive (Linux: SG_IO on /dev/sr*). Nothing is ever written to the disc.

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
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

// What a CdDrive asks of its device: one SCSI command that reads into `data`, and the
// size of the block device for when the drive does not answer READ CAPACITY. Linux: SG_IO
// and BLKGETSIZE64 on the opened /dev/sr*; tests and fuzzing hand in bytes of their own.
class ScsiDevice {
public:
    virtual ~ScsiDevice() = default;
    // 0, or the error number of a failed request (the system's) or command (EIO).
    virtual int command(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> data) = 0;
    // Bytes of the medium; 0 when unknown.
    virtual std::uint64_t sizeInBytes() = 0;
};

class CdDrive final : public cd::DiscSource {
public:
    // Opens for reading and writing (SCSI pass-through wants it), failing that for
    // reading only; otherwise "Can't open the CD-ROM drive!" (warning).
    static Result<std::unique_ptr<CdDrive>> open(const std::filesystem::path& device);
    explicit CdDrive(std::unique_ptr<ScsiDevice> device) : device_(std::move(device)) {}

    // Asked from the drive (READ CAPACITY: last block and block length, big-endian) until
    // it answers; a reply of another block length than 2,048 leaves the device's size to
    // tell. 0 while it has no disc.
    std::uint64_t blockCount() override;
    // One READ CD per block; the user data follow the 16 bytes of sync and header. A
    // failed request gives the system's error number, a failed command EIO.
    Status readBlocks(std::uint64_t first, std::span<std::uint8_t> out) override;

private:
    std::unique_ptr<ScsiDevice> device_;
    std::uint64_t blocks_ = 0;
    std::array<std::uint8_t, cd::kRawSectorSize> raw_{};
};

} // namespace veldin::platform
