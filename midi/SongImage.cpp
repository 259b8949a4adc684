#include "midi/SongImage.h"

#include <algorithm>

#include "midi/MidiTexts.h"

namespace veldin::midi {

bool MemoryImage::fits(std::uint32_t offset, std::size_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
}

Status MemoryImage::read(std::uint32_t offset, std::span<std::uint8_t> out) const {
    if (!fits(offset, out.size())) return Fail(text::kCantReadFile);
    std::copy_n(bytes_.begin() + offset, out.size(), out.begin());
    return {};
}

Status MemoryImage::record(const ImageOperation& op) {
    // A block outside the image is refused before anything is written.
    for (const auto& b : op.blocks)
        if (!fits(b.offset, b.bytes.size())) return Fail(text::kCantRecord);
    Step step{op, {}};
    for (const auto& b : op.blocks) {
        const auto at = bytes_.begin() + b.offset;
        step.oldBytes.emplace_back(at, at + static_cast<std::ptrdiff_t>(b.bytes.size()));
        std::copy(b.bytes.begin(), b.bytes.end(), at);
    }
    steps_.resize(current_);
    steps_.push_back(std::move(step));
    ++current_;
    return {};
}

StepResult MemoryImage::undo() {
    if (current_ == 0) return {};
    const Step& step = steps_[--current_];
    // Old bytes go back in reverse order, so that overlapping blocks end as before the step.
    for (std::size_t i = step.op.blocks.size(); i-- > 0;) {
        const auto& old = step.oldBytes[i];
        std::copy(old.begin(), old.end(), bytes_.begin() + step.op.blocks[i].offset);
    }
    StepResult r{step.op.code, step.op.parameter, {}};
    if (step.op.returnedBlock < step.oldBytes.size()) r.block = step.oldBytes[step.op.returnedBlock];
    return r;
}

StepResult MemoryImage::redo() {
    if (current_ >= steps_.size()) return {};
    const Step& step = steps_[current_++];
    for (const auto& b : step.op.blocks) std::copy(b.bytes.begin(), b.bytes.end(), bytes_.begin() + b.offset);
    StepResult r{step.op.code, step.op.parameter, {}};
    if (step.op.returnedBlock < step.op.blocks.size()) r.block = step.op.blocks[step.op.returnedBlock].bytes;
    return r;
}

} // namespace veldin::midi
