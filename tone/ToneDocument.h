#pragma once
// What the tone logic needs of an open disk image: its definition, reading bytes of the
// working copy, and recording one change as an undo step. The document and undo store
// of the disk image core sit behind this interface; MemoryDocument is a complete
// in-memory stand-in with the same undo semantics.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/DiskDefinition.h"
#include "core/Result.h"

namespace veldin::tone {

// One block of a step: the new bytes for `offset`.
struct ImageBlock {
    std::uint32_t offset = 0;
    std::vector<std::uint8_t> bytes;
};

// One step: the command that made it, the value handed back by undo and redo in place
// of block data (the parent item's ToneRef or -1), and the affected tone's ToneRef.
struct ToneOperation {
    int code = 0;
    std::uint32_t returned = 0xFFFFFFFFu;
    std::uint32_t parameter = 0xFFFFFFFFu;
    std::vector<ImageBlock> blocks;
};

// What undo and redo hand back.
struct StepResult {
    int code = 0; // 0: nothing was undone or redone
    std::uint32_t parameter = 0;
    std::uint32_t returned = 0;
};

class ToneDocument {
public:
    virtual ~ToneDocument() = default;
    virtual const DiskDefinition& definition() const = 0;
    // Fills `out` from the working copy at `offset`; false when not every byte exists.
    virtual bool read(std::uint32_t offset, std::span<std::uint8_t> out) const = 0;
    // Applies the blocks to the working copy as one undo step.
    virtual Status record(const ToneOperation& op) = 0;
};

// A whole image held in memory, with an undo history of its own.
class MemoryDocument final : public ToneDocument {
public:
    MemoryDocument(std::vector<std::uint8_t> image, DiskDefinition definition)
        : image_(std::move(image)), definition_(definition) {}

    const DiskDefinition& definition() const override { return definition_; }
    bool read(std::uint32_t offset, std::span<std::uint8_t> out) const override;
    Status record(const ToneOperation& op) override;

    StepResult undo();
    StepResult redo();
    bool canUndo() const { return current_ > 0; }
    bool canRedo() const { return current_ < steps_.size(); }
    const std::vector<std::uint8_t>& image() const { return image_; }

private:
    struct Step {
        ToneOperation op;
        std::vector<std::vector<std::uint8_t>> old;
    };
    std::vector<std::uint8_t> image_;
    DiskDefinition definition_;
    std::vector<Step> steps_;
    std::size_t current_ = 0;
};

} // namespace veldin::tone
