#include "midi/DocumentSongImage.h"

namespace veldin::midi {

Status DocumentSongImage::record(const ImageOperation& op) {
    Operation o;
    o.code = static_cast<std::uint32_t>(op.code);
    o.parameter = static_cast<std::uint32_t>(op.parameter);
    o.returnedBlock = op.returnedBlock;
    for (const auto& b : op.blocks) o.blocks.push_back({b.offset, b.bytes});
    return document_.record(o);
}

StepResult FromStore(const veldin::StepResult& r) {
    StepResult s;
    s.code = static_cast<std::int32_t>(r.code);
    s.parameter = static_cast<std::int32_t>(r.parameter);
    if (r.block) s.block = *r.block;
    return s;
}

Result<StepResult> DocumentSongImage::undo() {
    auto r = document_.undo();
    if (!r) return r.failure();
    return FromStore(*r);
}

Result<StepResult> DocumentSongImage::redo() {
    auto r = document_.redo();
    if (!r) return r.failure();
    return FromStore(*r);
}

} // namespace veldin::midi
