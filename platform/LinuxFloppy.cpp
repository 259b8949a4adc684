#include "platform/LinuxFloppy.h"

#include <fcntl.h>
#include <linux/fd.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/Messages.h"
#include "platform/PosixIo.h"

namespace veldin {
namespace {

// Transfers that bypass the page cache need a buffer aligned to the device's blocks.
struct alignas(4096) AlignedSector {
    std::uint8_t bytes[kSectorSize];
};

class LinuxFloppy final : public FloppyDevice {
public:
    explicit LinuxFloppy(UniqueFd fd) : fd_(std::move(fd)) {}

    bool readSector(std::uint32_t sector, std::span<std::uint8_t, kSectorSize> out) override {
        if (sector >= kSectorCount) return false;
        if (!ReadAt(fd_.get(), bounce_.bytes, Offset(sector))) return false;
        std::memcpy(out.data(), bounce_.bytes, kSectorSize);
        return true;
    }

    bool writeSector(std::uint32_t sector, std::span<const std::uint8_t, kSectorSize> in) override {
        if (sector >= kSectorCount) return false;
        std::memcpy(bounce_.bytes, in.data(), kSectorSize);
        return WriteAt(fd_.get(), bounce_.bytes, Offset(sector));
    }

    bool flush() override { return ::fsync(fd_.get()) == 0; }

private:
    static std::int64_t Offset(std::uint32_t sector) { return static_cast<std::int64_t>(sector) * kSectorSize; }

    UniqueFd fd_;
    AlignedSector bounce_{};
};

Failure OpenFailure(int error) {
    // The floppy driver refuses to open a drive without a disk (ENXIO); a USB drive
    // without a medium says so directly.
    if (error == ENXIO || error == ENOMEDIUM) return Fail(text::kNoFloppy);
    return Fail(text::kCantOpenDrive);
}

UniqueFd OpenDevice(const std::string& path, DriveAccess access) {
    const int base = (access == DriveAccess::Write ? O_RDWR | O_EXCL : O_RDONLY) | O_CLOEXEC;
    UniqueFd fd(::open(path.c_str(), base | O_DIRECT));
    if (!fd && errno == EINVAL) fd.reset(::open(path.c_str(), base)); // no direct transfers here
    return fd;
}

// Direct transfers move whole device blocks; a device with blocks other than 512 bytes
// falls back to cached transfers.
void MatchBlockSize(int fd) {
    int blockSize = 0;
    if (::ioctl(fd, BLKSSZGET, &blockSize) == 0 && blockSize == kSectorSize) return;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_DIRECT);
}

// The geometry that a USB drive's medium of `size` bytes has: 80 tracks of 2 heads.
MediumGeometry GeometryOfSize(std::int64_t size) {
    if (size == kImageSize) return kDoubleDensity;
    constexpr std::int64_t kTrackPair = 80 * 2 * kSectorSize;
    if (size % kTrackPair == 0) return {80, 2, static_cast<int>(size / kTrackPair)};
    return {0, 0, 0};
}

} // namespace

Result<std::unique_ptr<FloppyDevice>> LinuxFloppyDrive::open(DriveAccess access) {
    struct stat st{};
    if (::stat(path_.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) return Fail(text::kCantOpenDrive);
    UniqueFd fd = OpenDevice(path_, access);
    if (!fd) return OpenFailure(errno);

    MediumGeometry geometry;
    floppy_struct params{};
    if (::ioctl(fd.get(), FDGETPRM, &params) == 0) {
        kind_ = DriveKind::Internal;
        geometry = {static_cast<int>(params.track), static_cast<int>(params.head), static_cast<int>(params.sect)};
    } else if (errno == ENOTTY || errno == EINVAL) {
        kind_ = DriveKind::Usb;
        std::uint64_t size = 0;
        if (::ioctl(fd.get(), BLKGETSIZE64, &size) != 0 || size == 0) return Fail(text::kNoFloppy);
        if (size > static_cast<std::uint64_t>(kLargestFloppy)) return Fail(text::kCantOpenDrive);
        geometry = GeometryOfSize(static_cast<std::int64_t>(size));
    } else if (access == DriveAccess::Format) {
        // The driver knows no geometry for a disk it cannot read, such as a new,
        // unformatted one; that is exactly the disk that formatting is for.
        kind_ = DriveKind::Internal;
        geometry = {0, 0, 0};
    } else {
        return Fail(text::kNoFloppy);
    }
    if (auto medium = CheckMedium(geometry, access); !medium) return medium.failure();
    MatchBlockSize(fd.get());
    return std::unique_ptr<FloppyDevice>(std::make_unique<LinuxFloppy>(std::move(fd)));
}

} // namespace veldin
