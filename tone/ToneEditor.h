#pragma once
// The Tone Editor's state for one document and every change it makes: each change is one
// operation recorded through the document's undo store, after which the tree follows
// through refresh events (which item to add, remove or relabel, under which parent),
// the same events that undo and redo produce from what the store hands back.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/UserInteraction.h"
#include "tone/ToneFile.h"
#include "tone/ToneTree.h"

namespace veldin::tone {

// Command codes; they are the operation codes of the undo steps.
enum Command : int { kCmdMemo = 530, kCmdDelete = 1105, kCmdImport = 1301, kCmdRename = 1305, kCmdChange = 1306 };

enum class StepDirection { Do, Undo, Redo };

struct RefreshEvent {
    enum class Kind { AddTone, RemoveTone, Relabel, Panel, Memo };
    Kind kind;
    ToneRef ref;    // the affected tone
    ToneRef parent; // for AddTone: the item a tone-area subtone hangs under
    friend bool operator==(const RefreshEvent&, const RefreshEvent&) = default;
};

// What a view must do after a step of `code` was done, undone or redone; `parameter`
// and `returned` are the values the step was recorded with.
std::vector<RefreshEvent> RefreshEvents(int code, StepDirection direction, ToneRef parameter, ToneRef returned);

// Where an import goes, noted when the command starts.
struct ImportTarget {
    ToneRef ref;               // the selected tone, or none
    int bank = -1;             // 0-3, -1 unknown
    std::int64_t summary = -1; // rateShift<<24 | isSubtone<<16 | segmentTop<<8 | segmentCount
};

class ToneEditor {
public:
    explicit ToneEditor(ToneDocument& doc);

    // Re-reads the areas and rebuilds the tree (open, or a view that lost track).
    void rebuild();

    const ToneAreas& areas() const { return areas_; }
    const ToneTree& tree() const { return tree_; }
    ToneTree& tree() { return tree_; }
    const ToneSelection& selection() const { return sel_; }
    const std::vector<RefreshEvent>& lastEvents() const { return lastEvents_; }
    // Before a command: so that a command that changed nothing leaves no events.
    void clearEvents() { lastEvents_.clear(); }

    void select(ItemId id);
    bool selectTone(ToneRef ref);
    bool selectGroup(Group g);
    ImportTarget target() const;

    // Writes the file's records at `positions` (position x 128 each) of the area named by
    // `newRef`, and its wave at `waveOffset`, as one step of `command`.
    Status applyToneFile(int command, ToneRef newRef, ToneRef parent, std::span<const std::uint32_t> positions,
                         std::optional<std::uint32_t> waveOffset, const ToneFile& file);
    // Decides where a tone file goes (every rule and message of Load Tone and Load Wave).
    Status importToneFile(std::span<const std::uint8_t> fileBytes, const ImportTarget& target);
    Status importToneFile(const ToneFile& file, const ImportTarget& target);
    // Asks first; a No, or no selected tone, does nothing.
    Status deleteSelected(UserInteraction& ui);
    // Zeroes the selected tone without asking (the command-line tool asks nothing).
    Status deleteSelectedConfirmed();
    // Deletes a tone by its value, also one the tree does not show (a subtone whose
    // original is gone), which could otherwise never be removed.
    Status deleteTone(ToneRef ref);
    Status rename(ItemId id, std::string_view newText);
    Status changeToneDetails(int command, ToneRef ref, ToneRef parent, const std::optional<ToneRecord>& record);

    // After undo or redo of a step: re-read and follow the events.
    void afterStep(const StepResult& step, StepDirection direction);

private:
    void refresh(int code, StepDirection direction, ToneRef parameter, ToneRef returned);
    ToneRef parentValue(ItemId id) const;

    ToneDocument& doc_;
    ToneAreas areas_;
    ToneTree tree_;
    ToneSelection sel_;
    std::vector<RefreshEvent> lastEvents_;
};

} // namespace veldin::tone
