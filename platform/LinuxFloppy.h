#pragma once
// Floppy drives on Linux: the drives of the floppy controller (/dev/fd0, /dev/fd1),
// whose medium geometry the driver reports, and USB floppy drives, which are plain block
// devices the size of their medium.

#include <cstdint>
#include <string>

#include "core/FloppyDevice.h"

namespace veldin {

// Larger block devices are not floppies: they are never opened as a drive, so a slip of
// the device name cannot format or overwrite a hard disk.
inline constexpr std::int64_t kLargestFloppy = 2'949'120; // 2.88 MB

class LinuxFloppyDrive final : public FloppyDrive {
public:
    explicit LinuxFloppyDrive(std::string devicePath) : path_(std::move(devicePath)) {}

    // Opens for reading (Read, Format) or for exclusive reading and writing (Write: a
    // mounted floppy is not overwritten), with transfers that bypass the page cache so
    // that every attempt reaches the medium and a bad sector does not fail its
    // neighbours. The medium is then checked (FDGETPRM on a controller drive, the size on
    // a USB drive).
    Result<std::unique_ptr<FloppyDevice>> open(DriveAccess access) override;
    DriveKind kind() const override { return kind_; }
    const std::string& path() const override { return path_; }

private:
    std::string path_;
    DriveKind kind_ = DriveKind::Internal; // known once the drive has been opened
};

} // namespace veldin
