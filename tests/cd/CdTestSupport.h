#pragma once
// Disc sources for the CD tests: a memory disc that records which blocks were asked
// for and can be told to fail at a block.

#include <cerrno>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "cd/DiscSource.h"
#include "cd/SyntheticDisc.h"

namespace veldin::test {

// The full synthetic disc, made once per test program.
inline const cd::SyntheticDisc& FullDisc() {
    static const cd::SyntheticDisc disc = cd::BuildSyntheticDisc();
    return disc;
}

class RecordingDisc final : public cd::DiscSource {
public:
    explicit RecordingDisc(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)), disc_(bytes_) {}
    std::uint64_t blockCount() override { return disc_.blockCount(); }
    Status readBlocks(std::uint64_t first, std::span<std::uint8_t> out) override {
        for (std::uint64_t b = first; b < first + out.size() / cd::kBlockSize; ++b) {
            if (failAt && b == *failAt) return cd::ReadError(EIO);
            blocksRead.push_back(b);
        }
        return disc_.readBlocks(first, out);
    }

    std::vector<std::uint64_t> blocksRead;
    std::optional<std::uint64_t> failAt;

private:
    std::vector<std::uint8_t> bytes_;
    cd::MemoryDisc disc_;
};

} // namespace veldin::test
