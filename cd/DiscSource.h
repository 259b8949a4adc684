#pragma once
// Where a Roland CD-ROM is read from: a drive, an image file, or memory. Every source
// hands out the 2,048 bytes of user data of each block; what lies around them on the
// disc (sync, headers, EDC/ECC) is the source's business.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/Result.h"

namespace veldin::cd {

inline constexpr std::size_t kBlockSize = 2048;

class DiscSource {
public:
    virtual ~DiscSource() = default;

    // Blocks on the disc; 0 when the source cannot tell (no disc in the drive).
    virtual std::uint64_t blockCount() = 0;

    // Reads out.size() / 2048 whole blocks from `first` into `out`. A failure carries
    // the read-error text with the platform's error number (ReadError).
    virtual Status readBlocks(std::uint64_t first, std::span<std::uint8_t> out) = 0;
};

// "Errorcode: <code>\r\n\r\n", error icon.
Failure ReadError(int code);

// A disc held in memory as a 2,048-byte-sector image: for tests, fuzzing and benchmarks.
// A trailing partial block is not part of the disc. The bytes are not copied: they must
// outlive the disc.
class MemoryDisc final : public DiscSource {
public:
    explicit MemoryDisc(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t blockCount() override { return bytes_.size() / kBlockSize; }
    Status readBlocks(std::uint64_t first, std::span<std::uint8_t> out) override;

private:
    std::span<const std::uint8_t> bytes_;
};

} // namespace veldin::cd
