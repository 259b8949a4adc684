#include "cd/ReadUnits.h"

#include <algorithm>

namespace veldin::cd {
namespace {

// Blocks fetched from the source per request: large enough that an image file is read
// in big pieces, small enough that the progress moves.
constexpr std::uint64_t kChunkBlocks = 32;

} // namespace

BlockRun BlocksForUnits(std::uint32_t firstUnit, std::uint32_t count) {
    BlockRun run;
    run.firstBlock = firstUnit / kUnitsPerBlock;
    run.offset = (firstUnit % kUnitsPerBlock) * kUnitSize;
    const std::uint64_t bytes = run.offset + static_cast<std::uint64_t>(count) * kUnitSize;
    run.blocks = count == 0 ? 0 : (bytes + kBlockSize - 1) / kBlockSize;
    return run;
}

Result<std::vector<std::uint8_t>> ReadUnits(DiscSource& disc, std::uint32_t firstUnit, std::uint32_t count,
                                            const ReadProgress& progress) {
    const BlockRun run = BlocksForUnits(firstUnit, count);
    std::vector<std::uint8_t> result(static_cast<std::size_t>(count) * kUnitSize);
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min(run.blocks, kChunkBlocks) * kBlockSize));
    std::size_t filled = 0;
    std::uint64_t skip = run.offset; // bytes of the first block before the first unit
    for (std::uint64_t done = 0; done < run.blocks;) {
        const std::uint64_t n = std::min(kChunkBlocks, run.blocks - done);
        const std::span<std::uint8_t> piece(chunk.data(), static_cast<std::size_t>(n * kBlockSize));
        if (auto st = disc.readBlocks(run.firstBlock + done, piece); !st) return st.failure();
        const std::size_t take = std::min(piece.size() - static_cast<std::size_t>(skip), result.size() - filled);
        std::copy_n(piece.begin() + static_cast<std::ptrdiff_t>(skip), take,
                    result.begin() + static_cast<std::ptrdiff_t>(filled));
        filled += take;
        skip = 0;
        done += n;
        if (progress) progress(done, run.blocks);
    }
    return result;
}

} // namespace veldin::cd
