#pragma once
// The document of one open disk image: the user's file, held open and locked while the
// document lives, the disk definition that classified it, and the undo store whose
// working copy is the only image that editors read and write. The user's file changes
// only on Save.
//
// A module's frame owns its documents; file dialogs are the caller's, which hands in the
// chosen path and sampler family.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "core/DiskDefinition.h"
#include "core/Geometry.h"
#include "core/Result.h"
#include "core/UndoStore.h"
#include "core/UserInteraction.h"

namespace veldin {

// The sampler choice of the New and Save As dialogs (the filter index).
enum class SamplerChoice : int { W30 = 1, S50 = 2, S330 = 3, S550 = 4 };

struct SamplerChoiceInfo {
    SamplerChoice choice;
    std::string_view filterText;   // "Roland W30 (*.sdk)"
    std::string_view pattern;      // "*.sdk"
    std::string_view templateName; // "W30": the template file "W30.dat" in the main directory
    std::string_view key;          // "W-30": compared with the first four key bytes by Save As
};

std::span<const SamplerChoiceInfo> SamplerChoices();
const SamplerChoiceInfo& InfoOf(SamplerChoice choice);

class Document {
public:
    // Opens an image: the exact-size check, the classification and the undo store.
    // No document is left behind on failure.
    static Result<std::unique_ptr<Document>> Open(const Workspace& workspace, const std::filesystem::path& path);

    // Makes a new image at `path` from the template of `choice` (its 64,512 bytes and
    // 673,792 zero bytes) and opens it. A template that would not give a valid image is
    // refused as Open would refuse the result, and nothing is written.
    static Result<std::unique_ptr<Document>> New(const Workspace& workspace, SamplerChoice choice,
                                                 const std::filesystem::path& path);

    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    ~Document(); // closes without asking; unsaved changes are dropped

    // Writes the working copy over the user's file; on failure all stays as it was.
    Status save();

    // Writes a copy under another name. The same family gets the working copy byte for
    // byte, unsaved changes included; another family gets its template's system area and
    // the source's sectors 126-1439 (for the S-50 without the second half of each sector
    // of the patch area). The document goes on editing its own file.
    Status saveAs(SamplerChoice choice, const std::filesystem::path& path) const;

    enum class CloseResult { Closed, Cancelled };
    // Asks whether to save when there are unsaved changes (Yes / No / Cancel, titled
    // `programName`). A Save that fails is reported and keeps the document open.
    CloseResult close(UserInteraction& ui, std::string_view programName);
    bool isOpen() const { return open_; }

    // Editing goes through the undo store.
    Status record(const Operation& op) { return store_->record(op); }
    Result<StepResult> undo() { return store_->back(); }
    Result<StepResult> redo() { return store_->forward(); }
    Result<StepResult> peek(std::uint32_t block, StepSide side) const { return store_->peek(block, side); }
    Status read(std::uint32_t offset, std::span<std::uint8_t> bytes) const { return store_->read(offset, bytes); }

    // What the commands are enabled by: Undo and Save when there are changes, Redo when
    // there are undone steps.
    bool canUndo() const { return store_->canUndo(); }
    bool canRedo() const { return store_->canRedo(); }
    bool isModified() const { return store_->isModified(); }

    const std::filesystem::path& path() const { return path_; }
    const DiskDefinition& definition() const { return definition_; }
    std::span<const std::uint8_t, kHeaderSize> header() const { return header_; }
    const UndoStore& undoStore() const { return *store_; }

private:
    Document(const Workspace& workspace, std::filesystem::path path, int file);

    Workspace workspace_;
    std::filesystem::path path_;
    int file_;
    DiskDefinition definition_;
    std::array<std::uint8_t, kHeaderSize> header_{};
    std::unique_ptr<UndoStore> store_;
    bool open_ = true;
};

// What a window holds: its document, or none.
class DocumentSlot {
public:
    void attach(std::unique_ptr<Document> document) { document_ = std::move(document); }
    std::unique_ptr<Document> detach() { return std::move(document_); }
    bool empty() const { return document_ == nullptr; }
    // "Failed to get pointer to structure!" when the slot holds none.
    Result<Document*> get() const;

private:
    std::unique_ptr<Document> document_;
};

inline Result<Document*> GetDocument(const DocumentSlot& slot) { return slot.get(); }

// A path that the next Open takes instead of asking the user (a dropped file, an open
// request of the launcher or of another module, a floppy read). The buffer holds 512
// characters with its closing zero; a longer path is refused rather than cut.
class HandoverPath {
public:
    static constexpr std::size_t kCapacity = 512;
    bool set(const std::filesystem::path& path);
    std::optional<std::filesystem::path> take(); // and clears it
    bool empty() const { return path_.empty(); }

private:
    std::filesystem::path path_;
};

// The single entry for file operations of a window, with the results the frame expects.
enum class FileOp : int { New = 0, Open = 1, Save = 2, SaveAs = 3, Close = 5 };

struct FileOpRequest {
    std::filesystem::path path; // the dialog's answer; empty when the user cancelled
    SamplerChoice choice = SamplerChoice::W30;
};

// New, Open: 1 when a document is open in the slot, 0 otherwise. Save: 0 on success,
// 1 on failure. Save As: 1 when the copy is written, 0 otherwise. Close: 1 when closed,
// 2 when the user cancelled. Any other code: 0. Failures are shown through `ui`.
int DocumentFileOp(DocumentSlot& slot, int code, const FileOpRequest& request, const Workspace& workspace,
                   UserInteraction& ui, std::string_view programName);

} // namespace veldin
