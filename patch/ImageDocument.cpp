#include "patch/ImageDocument.h"

namespace veldin::patch {
namespace {

// A patch change never names its one block as the returned block: the value is the
// parent item's (-1, the root), so undo and redo hand it back in place of block data.
tone::StepResult FromStore(const veldin::StepResult& s) {
    return tone::StepResult{static_cast<int>(s.code), s.parameter, s.returnedValue};
}

} // namespace

Status ImageDocument::record(const tone::ToneOperation& op) {
    Operation o;
    o.code = static_cast<std::uint32_t>(op.code);
    o.returnedBlock = op.returned;
    o.parameter = op.parameter;
    for (const auto& b : op.blocks) o.blocks.push_back(Block{b.offset, b.bytes});
    return doc_.record(o);
}

Result<tone::StepResult> ImageDocument::undo() {
    auto s = doc_.undo();
    if (!s) return s.failure();
    return FromStore(*s);
}

Result<tone::StepResult> ImageDocument::redo() {
    auto s = doc_.redo();
    if (!s) return s.failure();
    return FromStore(*s);
}

} // namespace veldin::patch
