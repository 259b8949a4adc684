#pragma once
// The CD's tables count in 512-byte units; the drive reads 2,048-byte blocks. Unit u
// lies in block u / 4 at byte (u mod 4) * 512.

#include <cstdint>
#include <functional>
#include <vector>

#include "cd/DiscSource.h"

namespace veldin::cd {

inline constexpr std::uint32_t kUnitSize = 512;
inline constexpr std::uint32_t kUnitsPerBlock = kBlockSize / kUnitSize;

// The blocks that hold `count` units from `firstUnit`.
struct BlockRun {
    std::uint64_t firstBlock = 0;
    std::uint32_t offset = 0; // byte of the first unit within the first block
    std::uint64_t blocks = 0; // whole blocks that cover offset + count units
};
BlockRun BlocksForUnits(std::uint32_t firstUnit, std::uint32_t count);

// Called after each chunk of blocks has been read.
using ReadProgress = std::function<void(std::uint64_t blocksDone, std::uint64_t blocksTotal)>;

// count x 512 bytes from `firstUnit` on; nothing for a count of 0. A failed block read
// fails the whole read with the source's read error.
Result<std::vector<std::uint8_t>> ReadUnits(DiscSource& disc, std::uint32_t firstUnit, std::uint32_t count,
                                            const ReadProgress& progress = {});

} // namespace veldin::cd
