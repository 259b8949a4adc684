#include "tone/ui/CoreToneDocument.h"

#include <array>

#include "core/DiskMemo.h"

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

std::string MemoBoxText(const Document& doc) {
    const DiskDefinition& def = doc.definition();
    if (def.memoSector < 0) return std::string(kNoMemo);
    std::array<std::uint8_t, 512> sector{};
    if (!doc.read(static_cast<std::uint32_t>(def.memoSector) * 512u, sector).ok()) return std::string(kNoMemo);
    const DiskMemo memo = DecodeMemo(def, sector);
    if (memo.kind == DiskMemo::Sound) {
        std::string text = memo.name + " ";
        for (const auto& line : memo.memoLines) text += line + " ";
        return text;
    }
    if (memo.kind == DiskMemo::Lines) return memo.systemLines[0];
    return std::string(kNoMemo);
}

} // namespace veldin::quilla
