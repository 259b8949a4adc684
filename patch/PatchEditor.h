#pragma once
// The Patch Editor's state for one document and every change it makes: each change is
// one operation recorded through the document's undo store, after which the tree follows
// through refresh events (which patch item to add, remove or relabel), the same events
// that undo and redo produce from what the store hands back.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/UserInteraction.h"
#include "patch/PatchFile.h"
#include "patch/PatchTree.h"
#include "tone/ToneDocument.h"

namespace veldin::patch {

// Command codes; they are the operation codes of the undo steps.
enum Command : int { kCmdMemo = 530, kCmdDelete = 1105, kCmdLoad = 1301, kCmdSave = 1302, kCmdRename = 1305 };

enum class StepDirection { Do, Undo, Redo };

struct RefreshEvent {
    enum class Kind { AddPatch, RemovePatch, Relabel, Memo };
    Kind kind;
    PatchRef ref;
    friend bool operator==(const RefreshEvent&, const RefreshEvent&) = default;
};

// What a view must do after a step of `code` was done, undone or redone.
std::vector<RefreshEvent> RefreshEvents(int code, StepDirection direction, PatchRef parameter);

// The selection kept with the document: the selected item's value and parent, the free
// patch positions and the first of them (FFh when none), the panel and the status text.
struct PatchSelection {
    PatchRef value;
    ItemId item = kNoItem;
    ItemId parent = kNoItem;
    int freePositions = 0;
    int firstFreePosition = kNoFreePosition;
    PanelTexts panel = EmptyPanel();
    std::string status;
};

struct LoadOutcome {
    bool cancelled = false;
    int position = -1; // where the patch went
};

class PatchEditor {
public:
    explicit PatchEditor(tone::ToneDocument& doc);

    // Re-reads the areas and rebuilds the tree (open, or a view that lost track).
    void rebuild();

    const PatchAreas& areas() const { return areas_; }
    const PatchTree& tree() const { return tree_; }
    const PatchSelection& selection() const { return sel_; }
    const std::vector<RefreshEvent>& lastEvents() const { return lastEvents_; }

    // A patch fills the panel, the root clears it, a tone item leaves it as it is.
    void select(ItemId id);
    bool selectPatch(int position);

    // Writes `record` at the offset of `ref` in the patch area as one step of `command`;
    // "Can not change Patch details!" without a record or a patch reference.
    Status changePatch(int command, PatchRef ref, PatchRef parent, const std::optional<PatchRecord>& record);
    // Asks first; on No nothing happens.
    Status deleteSelected(UserInteraction& ui);
    // Zeroes all 256 bytes of the selected patch without asking.
    Status deleteSelectedConfirmed();
    // Bytes 0-11 become `newText`, cut to 12 characters and filled with zero bytes.
    Status rename(ItemId id, std::string_view newText);

    // The file of the selected patch; none when nothing or the root is selected.
    Result<std::optional<PatchFile>> savePatch() const;
    // Loads a patch file into the first free position, renumbering its tones.
    Result<LoadOutcome> loadPatch(std::span<const std::uint8_t> fileBytes, ToneMapper& mapper);
    Result<LoadOutcome> loadPatch(const PatchFile& file, ToneMapper& mapper);

    // After undo or redo of a step: re-read and follow the events.
    void afterStep(const tone::StepResult& step, StepDirection direction);

private:
    // "This node cannot be edited!" / "Only Patches can be edited!" for anything but a patch.
    Status checkPatchItem(ItemId id) const;
    void refresh(int code, StepDirection direction, PatchRef parameter);
    void count();

    tone::ToneDocument& doc_;
    PatchAreas areas_;
    PatchTree tree_;
    PatchSelection sel_;
    std::vector<RefreshEvent> lastEvents_;
};

} // namespace veldin::patch
