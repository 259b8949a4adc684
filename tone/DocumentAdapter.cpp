#include "tone/DocumentAdapter.h"

namespace veldin::tone {
namespace {

// A tone change never names one of its blocks as the returned block: the value is the
// parent item's ToneRef (at least 10000h for an original of the tone area) or -1, so
// undo and redo hand it back in place of block data.
StepResult FromStore(const veldin::StepResult& s) { return StepResult{static_cast<int>(s.code), s.parameter, s.returnedValue}; }

} // namespace

Status DocumentAdapter::record(const ToneOperation& op) {
    Operation o;
    o.code = static_cast<std::uint32_t>(op.code);
    o.returnedBlock = op.returned;
    o.parameter = op.parameter;
    for (const auto& b : op.blocks) o.blocks.push_back(Block{b.offset, b.bytes});
    return doc_.record(o);
}

Result<StepResult> DocumentAdapter::undo() {
    auto s = doc_.undo();
    if (!s) return s.failure();
    return FromStore(*s);
}

Result<StepResult> DocumentAdapter::redo() {
    auto s = doc_.redo();
    if (!s) return s.failure();
    return FromStore(*s);
}

} // namespace veldin::tone
