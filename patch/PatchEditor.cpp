#include "patch/PatchEditor.h"

#include "core/Messages.h"
#include "patch/PatchTexts.h"

namespace veldin::patch {
namespace {
using Kind = RefreshEvent::Kind;
} // namespace

std::vector<RefreshEvent> RefreshEvents(int code, StepDirection direction, PatchRef parameter) {
    const bool undo = direction == StepDirection::Undo;
    switch (code) {
    case kCmdLoad: return {{undo ? Kind::RemovePatch : Kind::AddPatch, parameter}};
    case kCmdDelete: return {{undo ? Kind::AddPatch : Kind::RemovePatch, parameter}};
    case kCmdRename: return {{Kind::Relabel, parameter}};
    case kCmdMemo: return {{Kind::Memo, parameter}};
    default: return {};
    }
}

PatchEditor::PatchEditor(tone::ToneDocument& doc) : doc_(doc) { rebuild(); }

void PatchEditor::rebuild() {
    areas_ = PatchAreas::Read(doc_);
    tree_.build(areas_);
    sel_ = PatchSelection{};
    count();
    select(tree_.root());
}

void PatchEditor::count() {
    sel_.freePositions = areas_.freePositions();
    sel_.firstFreePosition = areas_.firstFreePosition();
    sel_.status = StatusText(sel_.freePositions);
}

void PatchEditor::select(ItemId id) {
    const TreeItem* it = tree_.item(id);
    sel_.item = it ? id : kNoItem;
    sel_.value = it ? it->value : kRootRef;
    sel_.parent = it ? it->parent : kNoItem;
    if (!it || it->value.isRoot()) {
        sel_.panel = EmptyPanel();
        sel_.status = StatusText(sel_.freePositions);
    } else if (it->value.isPatch() && areas_.patches()) {
        sel_.panel = PanelFor(it->value.position(), areas_.patches()->record(it->value.position()));
    }
}

bool PatchEditor::selectPatch(int position) {
    const ItemId id = tree_.findPatch(position);
    if (id == kNoItem) return false;
    select(id);
    return true;
}

Status PatchEditor::checkPatchItem(ItemId id) const {
    const TreeItem* it = tree_.item(id);
    if (!it || it->value.isRoot()) return Fail(text::kNotEditable, Icon::Warning);
    if (!it->value.isPatch()) return Fail(text::kOnlyPatches, Icon::Warning);
    return {};
}

Status PatchEditor::changePatch(int command, PatchRef ref, PatchRef parent, const std::optional<PatchRecord>& record) {
    const PatchArea* area = areas_.patches();
    if (!record || !area || !ref.isPatch() || ref.offset() % kPatchRecordSize != 0 ||
        static_cast<int>(ref.offset() / kPatchRecordSize) >= area->count)
        return Fail(text::kCantChange);
    tone::ToneOperation op{command, parent.value, ref.value, {}};
    op.blocks.push_back({area->imageOffset, area->with(static_cast<int>(ref.offset() / kPatchRecordSize), *record)});
    if (auto st = doc_.record(op); !st) return st;
    refresh(command, StepDirection::Do, ref);
    return {};
}

Status PatchEditor::deleteSelected(UserInteraction& ui) {
    if (ui.ask(text::kReallyDelete, veldin::text::kTitlePatchEditor, Buttons::YesNo, Icon::Question) != Answer::Yes)
        return {};
    return deleteSelectedConfirmed();
}

Status PatchEditor::deleteSelectedConfirmed() {
    if (auto st = checkPatchItem(sel_.item); !st) return st;
    return changePatch(kCmdDelete, sel_.value, kRootRef, PatchRecord{});
}

Status PatchEditor::rename(ItemId id, std::string_view newText) {
    if (auto st = checkPatchItem(id); !st) return st;
    const PatchRef ref = tree_.item(id)->value;
    PatchRecord r = areas_.patches()->record(ref.position());
    r.setName(newText.substr(0, kNameLength));
    return changePatch(kCmdRename, ref, kRootRef, r);
}

Result<std::optional<PatchFile>> PatchEditor::savePatch() const {
    const TreeItem* it = tree_.item(sel_.item);
    if (!it || it->value.isRoot()) return std::optional<PatchFile>{};
    // A tone item's value is a tone number, not a record offset.
    if (!it->value.isPatch() || !areas_.patches()) return Fail(text::kOnlyPatches, Icon::Warning);
    return std::optional<PatchFile>{MakePatchFile(areas_.patches()->record(it->value.position()), areas_)};
}

Result<LoadOutcome> PatchEditor::loadPatch(std::span<const std::uint8_t> fileBytes, ToneMapper& mapper) {
    if (sel_.freePositions == 0) return Fail(text::kNoFreePatchPosition, Icon::Information);
    auto file = ParsePatchFile(fileBytes);
    if (!file) return file.failure();
    return loadPatch(*file, mapper);
}

Result<LoadOutcome> PatchEditor::loadPatch(const PatchFile& file, ToneMapper& mapper) {
    if (sel_.freePositions == 0 || sel_.firstFreePosition == kNoFreePosition)
        return Fail(text::kNoFreePatchPosition, Icon::Information);
    const int position = sel_.firstFreePosition;
    const auto record = TranslatePatch(file, areas_, mapper);
    if (!record) return LoadOutcome{true, -1};
    if (auto st = changePatch(kCmdLoad, PatchRef::Patch(position), kRootRef, record); !st) return st.failure();
    return LoadOutcome{false, position};
}

void PatchEditor::afterStep(const tone::StepResult& step, StepDirection direction) {
    if (step.code == 0) return;
    refresh(step.code, direction, PatchRef{step.parameter});
}

void PatchEditor::refresh(int code, StepDirection direction, PatchRef parameter) {
    areas_ = PatchAreas::Read(doc_);
    lastEvents_ = RefreshEvents(code, direction, parameter);
    for (const auto& e : lastEvents_) {
        switch (e.kind) {
        case Kind::AddPatch:
            if (const ItemId id = tree_.insertPatch(areas_, e.ref.position()); id != kNoItem) select(id);
            break;
        case Kind::RemovePatch:
            if (const ItemId id = tree_.findPatch(e.ref.position()); id != kNoItem) {
                tree_.remove(id);
                select(tree_.root());
            }
            break;
        case Kind::Relabel:
            if (areas_.patches())
                tree_.setLabel(tree_.findPatch(e.ref.position()), areas_.patches()->record(e.ref.position()).displayName());
            break;
        case Kind::Memo: break;
        }
    }
    // Counted again after every refresh, so that the next load goes to a position that
    // is really free.
    count();
    select(tree_.item(sel_.item) ? sel_.item : tree_.root());
}

} // namespace veldin::patch
