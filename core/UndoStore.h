#pragma once
// The undo and redo store of one document. Every change to an image goes through it: the
// store keeps a working copy of the image in a private temporary directory, applies each
// change to it as one recorded step of byte blocks, and steps back and forward on files
// alone. A session file in the main directory, held under an exclusive lock while the
// document lives, lets a later start clean up after a process that ended without closing.
//
// Files of one store:
//   <temporary folder>/veldin.%08x/          directory, named by the module's generator
//                                 image.stp  the working copy
//                                 %d.stp     step files, 1 upwards
//                                 record.stp a step being written (renamed to %d.stp)
//   <main directory>/VDN??????.tmp           the session file: the stored undo state

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "core/MinStdRandom.h"
#include "core/Result.h"
#include "core/UndoState.h"
#include "platform/os/FileOps.h"

namespace veldin {

// Where the files of documents live, and the services that reach them.
struct Workspace {
    os::FileOps& files;
    std::filesystem::path mainDirectory;   // templates and session files
    std::filesystem::path temporaryFolder; // undo directories
    MinStdRandom& random;

    // This machine's file services and temporary folder, and the module's generator.
    static Workspace System(std::filesystem::path mainDirectory);
};

// One block of a change: the new bytes for image bytes [offset, offset + bytes.size()).
// The bytes stay the caller's.
struct Block {
    std::uint32_t offset = 0;
    std::span<const std::uint8_t> bytes;
};

// One change as an editor hands it to the store.
struct Operation {
    std::uint32_t code = 0;          // the command that made the change (530 memo edit, ...)
    std::uint32_t returnedBlock = 0; // index of the block handed back by undo and redo
    std::uint32_t parameter = 0;     // the editor's own value (a tone number, ...)
    std::vector<Block> blocks;
};

// What undo, redo and peek hand back so that the editor refreshes the right view.
struct StepResult {
    std::uint32_t code = 0; // 0: nothing was done
    std::uint32_t parameter = 0;
    // The bytes of the returned block, or none when the returned-block field names no
    // block; that field's value is then what the editor gets.
    std::optional<std::vector<std::uint8_t>> block;
    std::uint32_t returnedValue = 0;
};

enum class StepSide { Old, New };

struct RecoveryReport {
    int removed = 0; // stale session files deleted (with their directories)
    int skipped = 0; // sessions of a live process, left alone
};

class UndoStore {
public:
    // The temporary directory search gives up after this many names that exist.
    static constexpr int kDirectoryAttempts = 64;

    // Makes the working copy from the open user's file and the session file.
    static Result<std::unique_ptr<UndoStore>> Start(const Workspace& workspace, int userFile);

    // Cleans up the sessions of processes that ended without closing their documents.
    static RecoveryReport Recover(const Workspace& workspace);

    UndoStore(const UndoStore&) = delete;
    UndoStore& operator=(const UndoStore&) = delete;
    ~UndoStore(); // closes like close()

    // Applies and records one step; on failure the working copy is as before.
    Status record(const Operation& op);
    // Undo / redo one step; code 0 when there is none. A step file that cannot be read or
    // applied whole is given up whole: the working copy stays exactly as it was.
    Result<StepResult> back();
    Result<StepResult> forward();
    // One block of the current step (of step 1 when the current step is 0), unchanged.
    Result<StepResult> peek(std::uint32_t blockIndex, StepSide side) const;

    // Replaces the user's file by the working copy (atomically, keeping its permissions)
    // and forgets the history. On success `userFile` is the handle of the new file.
    Status save(const std::filesystem::path& userPath, int& userFile);

    // Deletes the working copy, the step files, the directory and the session file.
    void close();

    // Reads image bytes from the working copy, the only image the editors read.
    Status read(std::uint32_t offset, std::span<std::uint8_t> bytes) const;

    const UndoState& state() const { return state_; }
    bool canUndo() const { return state_.currentStep > 0; }
    bool canRedo() const { return state_.currentStep < state_.lastStep; }
    bool isModified() const { return state_.currentStep != 0; }
    std::filesystem::path workingCopyPath() const;
    std::filesystem::path stepPath(std::uint32_t step) const;

private:
    explicit UndoStore(os::FileOps& files) : files_(files) {}
    Result<StepResult> apply(std::uint32_t step, StepSide side);
    void discardFiles();

    os::FileOps& files_;
    UndoState state_;
    bool open_ = false;
};

// True for a directory name this store makes: "veldin." and eight lower-case hex digits.
bool IsUndoDirectoryName(std::string_view name);

} // namespace veldin
