#include "tone/ui/CoreToneDocument.h"

namespace veldin::quilla {

bool CoreToneDocument::read(std::uint32_t offset, std::span<std::uint8_t> out) const {
    return doc_.read(offset, out).ok();
}

Status CoreToneDocument::record(const tone::ToneOperation& op) {
    Operation core;
    core.code = static_cast<std::uint32_t>(op.code);
    core.parameter = op.parameter;
    // The tone steps hand back a value, never a block: a block index past the last block
    // makes the store return the value itself.
    core.returnedBlock = op.returned;
    for (const auto& b : op.blocks) core.blocks.push_back(Block{b.offset, b.bytes});
    return doc_.record(core);
}

} // namespace veldin::quilla
