// A CD-ROM drive whose device answers with the input's bytes:
//   0       blocks to read - 1 (low 3 bits)
//   1-4     first block, big-endian (high values reach past the last block number)
//   then    READ CAPACITY: status, 8 reply bytes, 8 bytes of device size (little-endian)
//   then    per command: status (0 = done, else the error number), 2,352 sector bytes
// A command for which the input has no status fails with EIO; missing sector bytes are
// zero. Properties checked: the capacity is the reply's last block + 1 exactly when the
// reply says 2,048-byte blocks, otherwise the device's size / 2,048, and a known capacity
// is not asked again; every read sends READ CD for the next block with a 2,352-byte buffer; a read
// stops at the first failed command and fails with its number (EINVAL past the last block
// number, without a command); a read that succeeds gives bytes 16-2063 of each sector.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "platform/CdDrive.h"

namespace {

using veldin::cd::kBlockSize;
using veldin::cd::kRawSectorSize;

struct Sent {
    std::vector<std::uint8_t> cdb;
    std::size_t length = 0;
    int status = 0;
    std::vector<std::uint8_t> data;
};

class FakeDevice final : public veldin::platform::ScsiDevice {
public:
    FakeDevice(std::span<const std::uint8_t> in, std::vector<Sent>& sent, std::uint64_t size)
        : in_(in), sent_(sent), size_(size) {}
    int command(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> data) override {
        Sent s{{cdb.begin(), cdb.end()}, data.size(), EIO, {}};
        if (!in_.empty()) {
            s.status = in_[0];
            in_ = in_.subspan(1);
            const std::size_t n = std::min(data.size(), in_.size());
            std::fill(data.begin(), data.end(), 0);
            std::copy_n(in_.begin(), n, data.begin());
            in_ = in_.subspan(n);
            s.data.assign(data.begin(), data.end());
        }
        sent_.push_back(s);
        return s.status;
    }
    std::uint64_t sizeInBytes() override { return size_; }

private:
    std::span<const std::uint8_t> in_;
    std::vector<Sent>& sent_;
    std::uint64_t size_;
};

std::uint32_t Be32(const std::uint8_t* b) {
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) | b[3];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin;
    constexpr std::size_t kHead = 1 + 4 + 1 + 8 + 8;
    if (size < kHead) return 0;
    const std::uint64_t count = (data[0] & 7u) + 1;
    const std::uint64_t first = Be32(data + 1);
    const std::uint8_t* capacity = data + 5; // status, reply, size
    std::uint64_t deviceSize = 0;
    for (int i = 7; i >= 0; --i)
        deviceSize = deviceSize << 8 | capacity[9 + i];

    std::vector<Sent> sent;
    // The capacity's status and reply come through the device like every answer.
    std::vector<std::uint8_t> stream(9 + size - kHead);
    std::copy_n(capacity, 9, stream.begin());
    std::copy(data + kHead, data + size, stream.begin() + 9);
    platform::CdDrive drive(std::make_unique<FakeDevice>(stream, sent, deviceSize));

    const std::uint64_t blocks = drive.blockCount();
    const bool replied = capacity[0] == 0 && Be32(capacity + 5) == kBlockSize;
    if (blocks != (replied ? std::uint64_t{Be32(capacity + 1)} + 1 : deviceSize / kBlockSize)) std::abort();
    if (sent.size() != 1 || sent[0].length != 8) std::abort();
    const auto capacityCommand = platform::ReadCapacityCommand();
    if (!std::equal(capacityCommand.begin(), capacityCommand.end(), sent[0].cdb.begin(), sent[0].cdb.end()))
        std::abort();
    if (blocks != 0 && (drive.blockCount() != blocks || sent.size() != 1)) std::abort();
    sent.clear();

    std::vector<std::uint8_t> out(static_cast<std::size_t>(count) * kBlockSize, 0xA5);
    const Status st = drive.readBlocks(first, out);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const auto expected = platform::ReadCdCommand(static_cast<std::uint32_t>(first + i));
        if (!std::equal(expected.begin(), expected.end(), sent[i].cdb.begin(), sent[i].cdb.end()) ||
            sent[i].length != kRawSectorSize)
            std::abort();
        if (sent[i].status != 0 && i + 1 != sent.size()) std::abort(); // went on after a failure
    }
    const bool failedCommand = !sent.empty() && sent.back().status != 0;
    const bool pastLast = first + sent.size() > 0xFFFFFFFFu;
    if (st.ok() != (sent.size() == count && !failedCommand)) std::abort();
    if (!st.ok()) {
        const int expected = failedCommand ? sent.back().status : EINVAL;
        if (!failedCommand && !pastLast) std::abort();
        if (st.failure() != cd::ReadError(expected)) std::abort();
        return 0;
    }
    for (std::size_t i = 0; i < sent.size(); ++i)
        if (!std::equal(sent[i].data.begin() + 16, sent[i].data.begin() + 16 + kBlockSize,
                        out.begin() + static_cast<std::ptrdiff_t>(i * kBlockSize)))
            std::abort();
    return 0;
}
