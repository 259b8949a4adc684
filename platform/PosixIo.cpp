#include "platform/PosixIo.h"

#include <unistd.h>

#include <cerrno>

namespace veldin {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
}

void UniqueFd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

bool ReadAt(int fd, std::span<std::uint8_t> out, std::int64_t offset) {
    std::size_t done = 0;
    while (done < out.size()) {
        const auto n = ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteAt(int fd, std::span<const std::uint8_t> in, std::int64_t offset) {
    std::size_t done = 0;
    while (done < in.size()) {
        const auto n = ::pwrite(fd, in.data() + done, in.size() - done, static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace veldin
