#pragma once
// The narrow view of an open disk image that the song logic needs: read bytes of the
// working copy, and record one change as an undo step made of byte blocks. The disk
// image document implements it for the editors; MemoryImage is the same contract over
// bytes in memory, with undo and redo, for the command-line tool and the tests.

#include <cstdint>
#include <span>
#include <vector>

#include "core/Result.h"

namespace veldin::midi {

struct ImageBlock {
    std::uint32_t offset = 0;
    std::vector<std::uint8_t> bytes;
};

// One recorded change: the command that made it, a value of the editor's, the index of
// the block whose bytes undo and redo hand back, and the blocks in the order written.
struct ImageOperation {
    std::int32_t code = 0;
    std::int32_t parameter = 0;
    std::uint32_t returnedBlock = 0;
    std::vector<ImageBlock> blocks;
};

// What undo and redo hand back: code 0 when there was no step to take.
struct StepResult {
    std::int32_t code = 0;
    std::int32_t parameter = 0;
    std::vector<std::uint8_t> block; // bytes of the returned block after the step
};

class SongImage {
public:
    virtual ~SongImage() = default;
    virtual Status read(std::uint32_t offset, std::span<std::uint8_t> out) const = 0;
    virtual Status record(const ImageOperation& op) = 0;
};

class MemoryImage final : public SongImage {
public:
    explicit MemoryImage(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    Status read(std::uint32_t offset, std::span<std::uint8_t> out) const override;
    Status record(const ImageOperation& op) override;
    StepResult undo();
    StepResult redo();

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::size_t steps() const { return current_; }

private:
    struct Step {
        ImageOperation op;
        std::vector<std::vector<std::uint8_t>> oldBytes;
    };
    bool fits(std::uint32_t offset, std::size_t length) const;

    std::vector<std::uint8_t> bytes_;
    std::vector<Step> steps_;
    std::size_t current_ = 0;
};

} // namespace veldin::midi
