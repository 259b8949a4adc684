#include "tone/ToneDocument.h"

#include <algorithm>

#include "tone/ToneTexts.h"

namespace veldin::tone {

bool MemoryDocument::read(std::uint32_t offset, std::span<std::uint8_t> out) const {
    if (offset > image_.size() || out.size() > image_.size() - offset) return false;
    std::copy_n(image_.begin() + offset, out.size(), out.begin());
    return true;
}

Status MemoryDocument::record(const ToneOperation& op) {
    // A block outside the image would leave a half-applied step: check all first.
    for (const auto& b : op.blocks)
        if (b.offset > image_.size() || b.bytes.size() > image_.size() - b.offset) return Fail(text::kNoMemory);
    Step step{op, {}};
    for (const auto& b : op.blocks) {
        const auto at = image_.begin() + b.offset;
        step.old.emplace_back(at, at + static_cast<std::ptrdiff_t>(b.bytes.size()));
        std::copy(b.bytes.begin(), b.bytes.end(), at);
    }
    steps_.resize(current_);
    steps_.push_back(std::move(step));
    current_ = steps_.size();
    return {};
}

StepResult MemoryDocument::undo() {
    if (current_ == 0) return {};
    const Step& s = steps_[--current_];
    // Backwards, so that where blocks overlap the earliest old bytes win.
    for (std::size_t i = s.op.blocks.size(); i-- > 0;)
        std::copy(s.old[i].begin(), s.old[i].end(), image_.begin() + s.op.blocks[i].offset);
    return {s.op.code, s.op.parameter, s.op.returned};
}

StepResult MemoryDocument::redo() {
    if (current_ >= steps_.size()) return {};
    const Step& s = steps_[current_++];
    for (const auto& b : s.op.blocks) std::copy(b.bytes.begin(), b.bytes.end(), image_.begin() + b.offset);
    return {s.op.code, s.op.parameter, s.op.returned};
}

} // namespace veldin::tone
