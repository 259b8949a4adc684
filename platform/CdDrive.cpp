#include "platform/CdDrive.h"

#include <algorithm>
#include <cerrno>
#include <string>

#include "cd/CdMessages.h"

#if defined(__linux__)
#include <fcntl.h>
#include <linux/fs.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace veldin::platform {
namespace {

// A stuck drive gives up after 108,000 ms. (Taken as seconds, the same number would
// hang the reader for thirty hours.)
constexpr unsigned kCommandTimeoutMs = 108'000;

std::uint32_t Be32(const std::uint8_t* b) {
    return (static_cast<std::uint32_t>(b[0]) << 24) | (static_cast<std::uint32_t>(b[1]) << 16) |
           (static_cast<std::uint32_t>(b[2]) << 8) | b[3];
}

#if defined(__linux__)
// SG_IO on an opened /dev/sr*.
class SgIoDevice final : public ScsiDevice {
public:
    explicit SgIoDevice(int fd) : fd_(fd) {}
    ~SgIoDevice() override { ::close(fd_); }
    SgIoDevice(const SgIoDevice&) = delete;
    SgIoDevice& operator=(const SgIoDevice&) = delete;

    int command(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> data) override {
        std::array<std::uint8_t, 32> sense{};
        sg_io_hdr_t io{};
        io.interface_id = 'S';
        io.cmd_len = static_cast<unsigned char>(cdb.size());
        io.cmdp = const_cast<unsigned char*>(cdb.data());
        io.dxfer_direction = SG_DXFER_FROM_DEV;
        io.dxfer_len = static_cast<unsigned>(data.size());
        io.dxferp = data.data();
        io.mx_sb_len = sense.size();
        io.sbp = sense.data();
        io.timeout = kCommandTimeoutMs;
        if (ioctl(fd_, SG_IO, &io) < 0) return errno != 0 ? errno : EIO;
        if ((io.info & SG_INFO_OK_MASK) != SG_INFO_OK || io.resid != 0) return EIO;
        return 0;
    }

    std::uint64_t sizeInBytes() override {
        std::uint64_t bytes = 0;
        return ioctl(fd_, BLKGETSIZE64, &bytes) == 0 ? bytes : 0;
    }

private:
    int fd_;
};
#endif

} // namespace

std::array<std::uint8_t, 12> ReadCdCommand(std::uint32_t block) {
    return {0xBE,
            0x08,
            static_cast<std::uint8_t>(block >> 24),
            static_cast<std::uint8_t>(block >> 16),
            static_cast<std::uint8_t>(block >> 8),
            static_cast<std::uint8_t>(block),
            0,
            0,
            1,
            0xF8,
            0,
            0};
}

std::array<std::uint8_t, 10> ReadCapacityCommand() { return {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}; }

std::vector<std::filesystem::path> ListCdDrives(const std::filesystem::path& devDir) {
    std::vector<std::pair<unsigned long, std::filesystem::path>> found;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(devDir, ec)) {
        const std::string name = e.path().filename().string();
        if (name.size() < 3 || !name.starts_with("sr") ||
            !std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        found.emplace_back(std::stoul(name.substr(2)), e.path());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::filesystem::path> drives;
    for (auto& f : found)
        drives.push_back(std::move(f.second));
    return drives;
}

#if defined(__linux__)
Result<std::unique_ptr<CdDrive>> CdDrive::open(const std::filesystem::path& device) {
    // O_NONBLOCK: a drive without a disc still opens; its reads then fail with a number.
    int fd = ::open(device.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) fd = ::open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fail(text::kCantOpenCdDrive, Icon::Warning);
    return std::make_unique<CdDrive>(std::make_unique<SgIoDevice>(fd));
}
#else // no SCSI pass-through on this platform yet
Result<std::unique_ptr<CdDrive>> CdDrive::open(const std::filesystem::path&) {
    return Fail(text::kCantOpenCdDrive, Icon::Warning);
}
#endif

std::uint64_t CdDrive::blockCount() {
    if (blocks_ != 0) return blocks_;
    std::array<std::uint8_t, 8> reply{};
    const auto command = ReadCapacityCommand();
    if (device_->command(command, reply) == 0 && Be32(&reply[4]) == cd::kBlockSize) {
        blocks_ = static_cast<std::uint64_t>(Be32(reply.data())) + 1;
    } else {
        blocks_ = device_->sizeInBytes() / cd::kBlockSize;
    }
    return blocks_;
}

Status CdDrive::readBlocks(std::uint64_t first, std::span<std::uint8_t> out) {
    const std::uint64_t count = out.size() / cd::kBlockSize;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (first + i > 0xFFFFFFFFu) return cd::ReadError(EINVAL);
        const auto command = ReadCdCommand(static_cast<std::uint32_t>(first + i));
        if (int err = device_->command(command, raw_); err != 0) return cd::ReadError(err);
        std::copy_n(raw_.begin() + cd::kUserDataOffset, cd::kBlockSize,
                    out.begin() + static_cast<std::ptrdiff_t>(i * cd::kBlockSize));
    }
    return {};
}

} // namespace veldin::platform
