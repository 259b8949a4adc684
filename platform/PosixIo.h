#pragma once
// Small POSIX helpers of the device layer: an owned file descriptor and positioned
// whole-buffer reads and writes.

#include <cstdint>
#include <span>

namespace veldin {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

// True when every byte was transferred at `offset`; interrupted calls are resumed.
bool ReadAt(int fd, std::span<std::uint8_t> out, std::int64_t offset);
bool WriteAt(int fd, std::span<const std::uint8_t> in, std::int64_t offset);

} // namespace veldin
