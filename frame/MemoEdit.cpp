#include "frame/MemoEdit.h"

namespace veldin::frame {
namespace {

constexpr std::uint32_t kSectorSize = 512;

bool ReadSector(const Document& doc, std::array<std::uint8_t, kSectorSize>& sector) {
    const int memoSector = doc.definition().memoSector;
    return memoSector >= 0 && doc.read(static_cast<std::uint32_t>(memoSector) * kSectorSize, sector).ok();
}

} // namespace

MemoFields CurrentMemo(const Document& doc) {
    MemoFields f;
    f.system = doc.definition().isSystem;
    std::array<std::uint8_t, kSectorSize> sector{};
    if (!ReadSector(doc, sector)) return f;
    const DiskMemo memo = DecodeMemo(doc.definition(), sector);
    f.memo[0] = memo.name;
    for (int i = 0; i < kMemoLineCount; ++i) f.memo[static_cast<std::size_t>(i) + 1] = memo.memoLines[static_cast<std::size_t>(i)];
    f.lines = memo.systemLines;
    return f;
}

std::string MemoBoxText(const Document& doc) {
    std::array<std::uint8_t, kSectorSize> sector{};
    if (!ReadSector(doc, sector)) return std::string(kNoMemoText);
    const DiskMemo memo = DecodeMemo(doc.definition(), sector);
    if (memo.kind == DiskMemo::Sound) {
        std::string text = memo.name + " ";
        for (const auto& line : memo.memoLines) text += line + " ";
        return text;
    }
    if (memo.kind == DiskMemo::Lines) return memo.systemLines[0];
    return std::string(kNoMemoText);
}

Status ApplyMemo(Document& doc, const MemoFields& typed) {
    const DiskDefinition& def = doc.definition();
    std::array<std::uint8_t, kSectorSize> sector{};
    // A disk without a memo sector (or one that cannot be read) gets nothing written.
    if (!ReadSector(doc, sector)) return Fail(kNoMemoText);
    DiskMemo memo = DecodeMemo(def, sector);
    if (def.isSystem) {
        memo.kind = DiskMemo::Lines;
        for (std::size_t i = 0; i < memo.systemLines.size(); ++i)
            memo.systemLines[i] = CentreInField(typed.lines[i], kSystemLineLength);
    } else {
        memo.kind = DiskMemo::Sound;
        memo.name = CentreInField(typed.memo[0], kMemoNameLength);
        for (std::size_t i = 0; i < memo.memoLines.size(); ++i)
            memo.memoLines[i] = CentreInField(typed.memo[i + 1], kMemoLineLength);
    }
    // DecodeMemo cleaned the bytes it read in our copy; start again from the sector as
    // stored so that only the memo's own bytes change.
    std::array<std::uint8_t, kSectorSize> out{};
    ReadSector(doc, out);
    if (!EncodeMemo(memo, def, out)) return Fail(kNoMemoText);
    Operation op;
    op.code = kMemoCommand;
    op.returnedBlock = 0; // undo and redo hand the sector back
    op.blocks.push_back(Block{static_cast<std::uint32_t>(def.memoSector) * kSectorSize, out});
    return doc.record(op);
}

} // namespace veldin::frame
