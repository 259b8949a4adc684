#include "tone/ToneEditor.h"

#include <algorithm>

#include "core/Messages.h"
#include "tone/ToneTexts.h"

namespace veldin::tone {
namespace {

using Kind = RefreshEvent::Kind;

// The second tone area's banks hold waves we do not have; a subtone made there plays
// 22 segments from the start, as the ROM tones do.
constexpr int kRomSubtoneSegments = 22;

std::vector<std::uint32_t> FreePositions(const AreaCopy& a, std::size_t wanted) {
    std::vector<std::uint32_t> out;
    for (int k = 0; k < a.count && out.size() < wanted; ++k)
        if (!a.listEntry(k).isUsed()) out.push_back(static_cast<std::uint32_t>(k) * kToneRecordSize);
    return out;
}

} // namespace

std::vector<RefreshEvent> RefreshEvents(int code, StepDirection direction, ToneRef parameter, ToneRef returned) {
    const bool undo = direction == StepDirection::Undo;
    switch (code) {
    case kCmdImport: return {{undo ? Kind::RemoveTone : Kind::AddTone, parameter, returned}};
    case kCmdDelete: return {{undo ? Kind::AddTone : Kind::RemoveTone, parameter, returned}};
    case kCmdRename: return {{Kind::Relabel, parameter, returned}};
    case kCmdChange: return {{Kind::Panel, parameter, returned}};
    case kCmdMemo: return {{Kind::Memo, parameter, returned}};
    default: return {};
    }
}

ToneEditor::ToneEditor(ToneDocument& doc) : doc_(doc) { rebuild(); }

void ToneEditor::rebuild() {
    areas_ = ToneAreas::Read(doc_);
    tree_.build(areas_);
    sel_ = ToneSelection{};
    select(tree_.selected());
}

void ToneEditor::select(ItemId id) {
    tree_.setSelected(id);
    SelectItem(tree_, areas_, id, sel_);
}

bool ToneEditor::selectTone(ToneRef ref) {
    const ItemId id = tree_.findValue(ref);
    if (id == kNoItem) return false;
    select(id);
    return true;
}

bool ToneEditor::selectGroup(Group g) {
    const ItemId id = tree_.findGroup(g);
    if (id == kNoItem) return false;
    select(id);
    return true;
}

ImportTarget ToneEditor::target() const {
    ImportTarget t{sel_.ref, sel_.bank, -1};
    if (const auto r = areas_.find(sel_.ref))
        t.summary = (static_cast<std::int64_t>(r->rateShift()) << 24) | (r->isSubtone() << 16) |
                    (r->segmentTop() << 8) | r->segmentCount();
    return t;
}

ToneRef ToneEditor::parentValue(ItemId id) const {
    const TreeItem* it = tree_.item(id);
    const TreeItem* parent = it ? tree_.item(it->parent) : nullptr;
    return parent ? parent->value : kNoTone;
}

Status ToneEditor::applyToneFile(int command, ToneRef newRef, ToneRef parent, std::span<const std::uint32_t> positions,
                                 std::optional<std::uint32_t> waveOffset, const ToneFile& file) {
    const AreaCopy* area = areas_.get(newRef.area());
    if (!area || positions.size() != file.records.size()) return Fail(text::kCantChange);
    ToneOperation op{command, parent.value, newRef.value, {}};
    std::vector<std::uint8_t> bytes = area->bytes;
    for (std::size_t i = 0; i < file.records.size(); ++i) {
        const int position = static_cast<int>(positions[i] / kToneRecordSize);
        if (positions[i] % kToneRecordSize != 0 || position >= area->count) return Fail(text::kCantChange);
        area->put(bytes, position, file.records[i]);
    }
    op.blocks.push_back({area->imageOffset, std::move(bytes)});
    if (file.segments != 0) {
        if (!waveOffset || file.wave.size() != static_cast<std::size_t>(file.segments) * kSegmentSize)
            return Fail(text::kCantChange);
        op.blocks.push_back({*waveOffset, file.wave});
    }
    if (auto st = doc_.record(op); !st) return st;
    refresh(command, StepDirection::Do, newRef, parent);
    return {};
}

Status ToneEditor::importToneFile(std::span<const std::uint8_t> fileBytes, const ImportTarget& target) {
    if (target.bank < 0) return Fail(text::kImportHere);
    if (!HasRtonMagic(fileBytes)) return Fail(text::kNotRton);
    auto file = ParseToneFile(fileBytes);
    if (!file) return file.failure();
    return importToneFile(*file, target);
}

Status ToneEditor::importToneFile(const ToneFile& file, const ImportTarget& target) {
    if (target.bank < 0 || target.bank > 3) return Fail(text::kImportHere);
    if (file.records.empty()) return Fail(text::kToneFileNoTones);
    const bool ramBank = target.bank <= 1;
    const bool toneSelected = target.summary >= 0 && target.ref.isTone();
    const BankMemory mem = ComputeBankMemory(areas_, target.bank);
    const AreaCopy* area = areas_.get(ramBank ? Area::Ram : Area::Rom);
    if (!area) return Fail(text::kImportHere);

    if (file.segments != 0 && !toneSelected && ramBank) {
        if (!RecordsMatchHeader(file)) return Fail(text::kNotRton);
        const std::size_t tones = file.records.size();
        if (mem.freePositions < static_cast<int>(tones)) return Fail(text::kNoFreePositions);
        // Waves are placed above the highest original; gaps below are not reused, so
        // the room above must hold the whole wave as well.
        if (mem.freeSegments < file.segments || mem.nextFreeSegment + file.segments > kSegmentsPerBank)
            return Fail(text::kNoFreeMemory);
        ToneFile placed = file;
        for (auto& r : placed.records) {
            r.setSourceTone(static_cast<std::uint8_t>(mem.firstFreePosition));
            r.setWaveBank(static_cast<std::uint8_t>(target.bank));
            r.setSegmentTop(static_cast<std::uint8_t>(mem.nextFreeSegment));
        }
        const auto positions = FreePositions(*area, tones);
        const auto ref = ToneRef::Make(static_cast<std::uint8_t>(mem.firstFreePosition), Area::Ram, mem.firstFreePosition);
        return applyToneFile(kCmdImport, ref, kNoTone, positions, WaveOffset(target.bank, mem.nextFreeSegment), placed);
    }

    if (!toneSelected && ramBank) return Fail(text::kSubtoneIntoRam, Icon::Warning);
    if (toneSelected && ((target.summary >> 16) & 0xFF) == 1) return Fail(text::kSubtoneIntoSubtone, Icon::Warning);
    if (mem.firstFreePosition < 0) return Fail(text::kNoFreePositions);

    ToneFile sub;
    ToneRecord r = file.records.front();
    r.setIsSubtone(1);
    r.setWaveBank(static_cast<std::uint8_t>(target.bank));
    ToneRef ref;
    ToneRef parent;
    if (toneSelected) {
        r.setSourceTone(target.ref.number());
        r.setRateShift(static_cast<std::uint8_t>(target.summary >> 24));
        r.setSegmentTop(static_cast<std::uint8_t>(target.summary >> 8));
        r.setSegmentCount(static_cast<std::uint8_t>(target.summary));
        ref = target.ref.withPosition(mem.firstFreePosition);
        parent = target.ref;
    } else {
        r.setSourceTone(0);
        r.setRateShift(0);
        r.setSegmentTop(0);
        r.setSegmentCount(kRomSubtoneSegments);
        ref = ToneRef::Make(0, Area::Rom, mem.firstFreePosition);
    }
    sub.records.push_back(r);
    const std::uint32_t position = static_cast<std::uint32_t>(mem.firstFreePosition) * kToneRecordSize;
    return applyToneFile(kCmdImport, ref, parent, std::span(&position, 1), std::nullopt, sub);
}

Status ToneEditor::deleteSelected(UserInteraction& ui) {
    if (ui.ask(text::kReallyDelete, veldin::text::kTitleToneEditor, Buttons::YesNo, Icon::Question) != Answer::Yes)
        return {};
    return deleteSelectedConfirmed();
}

Status ToneEditor::deleteSelectedConfirmed() {
    if (!sel_.ref.isTone()) return {};
    return deleteTone(sel_.ref);
}

Status ToneEditor::deleteTone(ToneRef ref) {
    const auto found = areas_.find(ref);
    if (!ref.isTone() || !found || !found->isUsed()) return Fail(text::kCantChange);
    auto x = ExtractToneFile(doc_, areas_, ref);
    if (!x && x.failure().text == text::kWaveOutsideBank) {
        // Its records go; the segments it claims belong partly to another bank and stay.
        Extracted records;
        records.positions = CoveredPositions(areas_, ref);
        records.file.records.resize(records.positions.size());
        x = std::move(records);
    }
    if (!x) return x.failure();
    for (auto& r : x->file.records) r.bytes().fill(0);
    std::fill(x->file.wave.begin(), x->file.wave.end(), std::uint8_t{0});
    return applyToneFile(kCmdDelete, ref, parentValue(tree_.findValue(ref)), x->positions, x->waveOffset, x->file);
}

Status ToneEditor::rename(ItemId id, std::string_view newText) {
    const TreeItem* it = tree_.item(id);
    if (!it || !it->value.isTone()) return Fail(text::kCantChange);
    auto r = areas_.find(it->value);
    if (r) r->setName(newText.substr(0, 8));
    return changeToneDetails(kCmdRename, it->value, parentValue(id), r);
}

Status ToneEditor::changeToneDetails(int command, ToneRef ref, ToneRef parent, const std::optional<ToneRecord>& record) {
    if (!record || !record->isUsed()) return Fail(text::kCantChange);
    const AreaCopy* area = areas_.get(ref.area());
    if (!area || !ref.isTone() || ref.position() >= area->count) return Fail(text::kCantChange);
    const std::uint32_t position = ref.offset();
    ToneFile one;
    one.records.push_back(*record);
    return applyToneFile(command, ref, parent, std::span(&position, 1), std::nullopt, one);
}

void ToneEditor::afterStep(const StepResult& step, StepDirection direction) {
    if (step.code == 0) return;
    refresh(step.code, direction, ToneRef{step.parameter}, ToneRef{step.returned});
}

void ToneEditor::refresh(int code, StepDirection direction, ToneRef parameter, ToneRef returned) {
    areas_ = ToneAreas::Read(doc_);
    lastEvents_ = RefreshEvents(code, direction, parameter, returned);
    for (const auto& e : lastEvents_) {
        switch (e.kind) {
        case Kind::AddTone:
            if (const ItemId id = tree_.insertTone(areas_, e.ref, e.parent); id != kNoItem) select(id);
            break;
        case Kind::RemoveTone: {
            const ItemId id = tree_.findValue(e.ref);
            const ItemId parent = tree_.item(id) ? tree_.item(id)->parent : kNoItem;
            tree_.remove(id);
            if (id != kNoItem && tree_.item(parent)) select(parent);
            break;
        }
        case Kind::Relabel:
            if (const auto r = areas_.find(e.ref)) tree_.setLabel(tree_.findValue(e.ref), r->displayName());
            break;
        case Kind::Panel:
        case Kind::Memo:
            break;
        }
    }
    // The panel and the memory figures always follow the re-read areas.
    if (tree_.item(tree_.selected())) select(tree_.selected());
    else sel_.memory = ComputeBankMemory(areas_, sel_.bank);
}

} // namespace veldin::tone
