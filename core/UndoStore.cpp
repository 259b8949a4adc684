#include "core/UndoStore.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <new>
#include <utility>

#include "core/Bytes.h"
#include "core/FileReplacement.h"
#include "core/Geometry.h"
#include "core/Messages.h"

namespace veldin {
namespace {

using os::FileOps;
using Bytes = std::vector<std::uint8_t>;

constexpr std::string_view kWorkingCopyName = "image.stp";
constexpr std::string_view kPendingStepName = "record.stp";
constexpr std::string_view kStepSuffix = ".stp";
constexpr std::string_view kSessionPrefix = "VDN";
constexpr std::string_view kSessionSuffix = ".tmp";
constexpr std::int64_t kCopyChunk = 64 * 1024;

// Step file, little-endian:
//
//   offset  size  field
//        0     4  operation code
//        4     4  block count
//        8     4  returned block (index from 0; a value naming no block is handed back itself)
//       12     4  parameter
//       16        per block, in recorded order:
//                   +0   4  length
//                   +4   4  image offset
//                   +8   4  data (a memory reference while recording; 0 in the file)
//                  +12   length bytes the image held before the step (old bytes)
//                        length bytes the step wrote (new bytes)
// The file ends with the last block's new bytes.
constexpr std::int64_t kStepHeaderSize = 16;
constexpr std::int64_t kDescriptorSize = 12;

struct StepHeader {
    std::uint32_t code = 0;
    std::uint32_t count = 0;
    std::uint32_t returnedBlock = 0;
    std::uint32_t parameter = 0;
};

struct StepBlock {
    std::uint32_t length = 0;
    std::uint32_t offset = 0;
    std::int64_t oldAt = 0; // file position of the old bytes; the new bytes follow them
};

struct StepIndex {
    StepHeader header;
    std::vector<StepBlock> blocks;
};

bool FitsImage(std::uint64_t offset, std::uint64_t length) {
    return offset <= static_cast<std::uint64_t>(kImageSize) && length <= static_cast<std::uint64_t>(kImageSize) - offset;
}

// Reads the header and every descriptor and checks the whole file before anything is
// applied: each block lies inside the image, and the blocks fill the file exactly.
std::optional<StepIndex> ReadStepIndex(FileOps& files, int handle) {
    const std::int64_t size = files.size(handle);
    std::array<std::uint8_t, kStepHeaderSize> h{};
    if (size < kStepHeaderSize || files.readAt(handle, 0, h) != kStepHeaderSize) return std::nullopt;
    StepIndex index;
    index.header = {ReadLe32(std::span(h).subspan(0, 4)), ReadLe32(std::span(h).subspan(4, 4)),
                    ReadLe32(std::span(h).subspan(8, 4)), ReadLe32(std::span(h).subspan(12, 4))};
    if (index.header.count > (size - kStepHeaderSize) / kDescriptorSize) return std::nullopt;
    index.blocks.reserve(index.header.count);
    std::int64_t at = kStepHeaderSize;
    for (std::uint32_t i = 0; i < index.header.count; ++i) {
        std::array<std::uint8_t, kDescriptorSize> d{};
        if (size - at < kDescriptorSize || files.readAt(handle, at, d) != kDescriptorSize) return std::nullopt;
        const StepBlock block{ReadLe32(std::span(d).subspan(0, 4)), ReadLe32(std::span(d).subspan(4, 4)),
                              at + kDescriptorSize};
        if (!FitsImage(block.offset, block.length)) return std::nullopt;
        at = block.oldAt + 2 * static_cast<std::int64_t>(block.length);
        if (at > size) return std::nullopt;
        index.blocks.push_back(block);
    }
    if (at != size) return std::nullopt;
    return index;
}

// The image bytes that a step will touch, taken before it is applied so that a step that
// fails half-way can be given up whole. Overlapping blocks are merged, so a snapshot
// never holds more than one image.
struct Snapshot {
    std::vector<std::pair<std::uint32_t, Bytes>> ranges;
};

std::optional<Snapshot> TakeSnapshot(FileOps& files, int workingCopy,
                                     std::vector<std::pair<std::uint32_t, std::uint32_t>> spans) {
    std::sort(spans.begin(), spans.end());
    std::vector<std::pair<std::uint32_t, std::uint32_t>> merged; // [begin, end)
    for (auto [begin, end] : spans) {
        if (begin == end) continue;
        if (!merged.empty() && begin <= merged.back().second) merged.back().second = std::max(merged.back().second, end);
        else merged.emplace_back(begin, end);
    }
    Snapshot snapshot;
    for (auto [begin, end] : merged) {
        Bytes bytes(end - begin);
        if (files.readAt(workingCopy, begin, bytes) != static_cast<std::int64_t>(bytes.size())) return std::nullopt;
        snapshot.ranges.emplace_back(begin, std::move(bytes));
    }
    return snapshot;
}

void Restore(FileOps& files, int workingCopy, const Snapshot& snapshot) {
    for (const auto& [offset, bytes] : snapshot.ranges) files.writeAt(workingCopy, offset, bytes);
    files.sync(workingCopy);
}

std::string DirectoryName(std::int32_t number) {
    char name[24];
    std::snprintf(name, sizeof name, "veldin.%08x", static_cast<unsigned>(number));
    return name;
}

// Deletes the "*.stp" entries of an undo directory (an entry that is a directory is
// removed as one) and the directory itself.
void RemoveUndoDirectory(FileOps& files, const std::filesystem::path& directory) {
    if (auto entries = files.list(directory)) {
        for (const auto& e : *entries) {
            if (!e.name.ends_with(kStepSuffix)) continue;
            if (e.isDirectory) files.removeDirectory(directory / e.name);
            else files.removeFile(directory / e.name);
        }
    }
    files.removeDirectory(directory);
}

class Handle {
public:
    Handle(FileOps& files, int handle) : files_(files), handle_(handle) {}
    ~Handle() {
        if (handle_ != os::kNoHandle) files_.close(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    int get() const { return handle_; }
    bool ok() const { return handle_ != os::kNoHandle; }

private:
    FileOps& files_;
    int handle_;
};

} // namespace

bool IsUndoDirectoryName(std::string_view name) {
    constexpr std::string_view prefix = "veldin.";
    if (name.size() != prefix.size() + 8 || !name.starts_with(prefix)) return false;
    return std::all_of(name.begin() + prefix.size(), name.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

Workspace Workspace::System(std::filesystem::path mainDirectory) {
    return Workspace{os::SystemFileOps(), std::move(mainDirectory), os::SystemFileOps().temporaryFolder(),
                     ModuleRandom()};
}

std::filesystem::path UndoStore::workingCopyPath() const { return state_.tempDirectory / kWorkingCopyName; }

std::filesystem::path UndoStore::stepPath(std::uint32_t step) const {
    return state_.tempDirectory / (std::to_string(step) + std::string(kStepSuffix));
}

Result<std::unique_ptr<UndoStore>> UndoStore::Start(const Workspace& ws, int userFile) {
    std::unique_ptr<UndoStore> store(new UndoStore(ws.files));
    FileOps& files = ws.files;
    UndoState& s = store->state_;

    // 1. A directory of our own, "veldin.%08x", by a bounded search.
    const auto fitsState = [](const std::filesystem::path& p) { return p.native().size() < kUndoStatePathField; };
    bool created = false;
    for (int attempt = 0; attempt < kDirectoryAttempts && !created; ++attempt) {
        s.tempDirectory = ws.temporaryFolder / DirectoryName(ws.random.next());
        if (!fitsState(s.tempDirectory)) break;
        const auto made = files.makeDirectory(s.tempDirectory);
        if (made == os::MakeDirResult::Failed) break;
        created = made == os::MakeDirResult::Created;
    }
    if (!created) return Fail(text::kCantCreateTempDirectory);
    store->open_ = true; // from here on, a failure deletes what was made (the destructor)

    // 2. The working copy: the user's bytes, flushed.
    s.workingCopyHandle = files.open(store->workingCopyPath(), os::OpenMode::CreateTruncate);
    if (s.workingCopyHandle == os::kNoHandle) return Fail(text::kCantCreateWorkingCopy);
    Bytes chunk(kCopyChunk);
    for (std::int64_t at = 0; at < kImageSize; at += kCopyChunk) {
        const auto part = std::span(chunk).first(static_cast<std::size_t>(std::min(kCopyChunk, kImageSize - at)));
        if (files.readAt(userFile, at, part) != static_cast<std::int64_t>(part.size()) ||
            !files.writeAt(s.workingCopyHandle, at, part))
            return Fail(text::kCantCreateWorkingCopy);
    }
    if (!files.sync(s.workingCopyHandle)) return Fail(text::kCantCreateWorkingCopy);

    // 3. The session file, locked for as long as the document lives, holding the state.
    auto session = files.createUnique(ws.mainDirectory, kSessionPrefix, kSessionSuffix);
    if (!session) return Fail(text::kCantCreateSession);
    s.sessionHandle = session->handle;
    s.sessionPath = session->path;
    const auto stored = EncodeUndoState(s);
    if (files.lockExclusive(s.sessionHandle) != os::LockResult::Locked || !stored ||
        !files.writeAt(s.sessionHandle, 0, *stored) || !files.sync(s.sessionHandle))
        return Fail(text::kCantCreateSession);
    return store;
}

UndoStore::~UndoStore() { close(); }

void UndoStore::close() {
    if (!open_) return;
    open_ = false;
    discardFiles();
}

void UndoStore::discardFiles() {
    if (state_.workingCopyHandle != os::kNoHandle) files_.close(state_.workingCopyHandle);
    state_.workingCopyHandle = os::kNoHandle;
    RemoveUndoDirectory(files_, state_.tempDirectory);
    if (state_.sessionHandle != os::kNoHandle) {
        // Only our own file: should a clean-up have taken the name meanwhile, the name
        // may now belong to another session.
        const bool ours = files_.isSameFile(state_.sessionHandle, state_.sessionPath);
        files_.close(state_.sessionHandle);
        if (ours) files_.removeFile(state_.sessionPath);
    }
    state_.sessionHandle = os::kNoHandle;
}

Status UndoStore::read(std::uint32_t offset, std::span<std::uint8_t> bytes) const {
    if (!open_ || !FitsImage(offset, bytes.size()) ||
        files_.readAt(state_.workingCopyHandle, offset, bytes) != static_cast<std::int64_t>(bytes.size()))
        return Fail(text::kCantOpenFile);
    return {};
}

Status UndoStore::record(const Operation& op) {
    if (!open_ || state_.currentStep == UINT32_MAX) return Fail(text::kCantCreateStep);
    for (const auto& b : op.blocks)
        if (!FitsImage(b.offset, b.bytes.size())) return Fail(text::kCantCreateStep);
    const int wc = state_.workingCopyHandle;

    // Every block's old bytes are what the image held before the step, taken before any
    // block is written: undoing the blocks in recorded order then restores the image even
    // where blocks overlap.
    std::vector<Bytes> old;
    try {
        old.reserve(op.blocks.size());
        for (const auto& b : op.blocks) {
            old.emplace_back(b.bytes.size());
            if (files_.readAt(wc, b.offset, old.back()) != static_cast<std::int64_t>(b.bytes.size()))
                return Fail(text::kCantCreateStep);
        }
    } catch (const std::bad_alloc&) {
        return Fail(text::kNoMemory);
    }

    // The step goes to a file of its own first and takes its number only when the whole
    // step stands, so that a failure never spoils an abandoned step that redo may reach.
    const auto pending = state_.tempDirectory / kPendingStepName;
    {
        Handle step(files_, files_.open(pending, os::OpenMode::CreateTruncate));
        if (!step.ok()) return Fail(text::kCantCreateStep);
        std::array<std::uint8_t, kStepHeaderSize> header{};
        WriteLe32(op.code, std::span(header).subspan(0, 4));
        WriteLe32(static_cast<std::uint32_t>(op.blocks.size()), std::span(header).subspan(4, 4));
        WriteLe32(op.returnedBlock, std::span(header).subspan(8, 4));
        WriteLe32(op.parameter, std::span(header).subspan(12, 4));
        bool ok = files_.writeAt(step.get(), 0, header);
        std::int64_t at = kStepHeaderSize;
        for (std::size_t i = 0; ok && i < op.blocks.size(); ++i) {
            const auto& b = op.blocks[i];
            std::array<std::uint8_t, kDescriptorSize> d{};
            WriteLe32(static_cast<std::uint32_t>(b.bytes.size()), std::span(d).subspan(0, 4));
            WriteLe32(b.offset, std::span(d).subspan(4, 4));
            const auto length = static_cast<std::int64_t>(b.bytes.size());
            ok = files_.writeAt(step.get(), at, d) && files_.writeAt(step.get(), at + kDescriptorSize, old[i]) &&
                 files_.writeAt(step.get(), at + kDescriptorSize + length, b.bytes);
            at += kDescriptorSize + 2 * length;
        }
        if (!ok || !files_.sync(step.get())) {
            files_.removeFile(pending);
            return Fail(text::kCantCreateStep);
        }
    }

    // Apply in recorded order; a later block wins where blocks overlap.
    const std::uint32_t number = state_.currentStep + 1;
    bool applied = true;
    std::size_t written = 0;
    for (; applied && written < op.blocks.size(); ++written)
        applied = files_.writeAt(wc, op.blocks[written].offset, op.blocks[written].bytes);
    applied = applied && files_.sync(wc) && files_.rename(pending, stepPath(number));
    if (!applied) {
        for (std::size_t i = written; i-- > 0;) files_.writeAt(wc, op.blocks[i].offset, old[i]);
        files_.sync(wc);
        files_.removeFile(pending);
        return Fail(text::kCantCreateStep);
    }
    state_.currentStep = number;
    state_.lastStep = number; // steps above are abandoned; their numbers are reused
    return {};
}

Result<StepResult> UndoStore::apply(std::uint32_t step, StepSide side) {
    Handle file(files_, files_.open(stepPath(step), os::OpenMode::ReadOnly));
    if (!file.ok()) return Fail(text::kCantOpenStep);
    const auto index = ReadStepIndex(files_, file.get());
    if (!index) return Fail(text::kCantOpenStep);
    const int wc = state_.workingCopyHandle;

    std::optional<Snapshot> snapshot;
    try {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> spans;
        spans.reserve(index->blocks.size());
        for (const auto& b : index->blocks) spans.emplace_back(b.offset, b.offset + b.length);
        snapshot = TakeSnapshot(files_, wc, std::move(spans));
    } catch (const std::bad_alloc&) {
        return Fail(text::kNoMemory);
    }
    if (!snapshot) return Fail(text::kCantOpenStep);

    StepResult result{index->header.code, index->header.parameter, std::nullopt, index->header.returnedBlock};
    const auto giveUp = [&](std::string_view why) -> Result<StepResult> {
        Restore(files_, wc, *snapshot);
        return Fail(why);
    };
    try {
        for (std::size_t i = 0; i < index->blocks.size(); ++i) {
            const auto& b = index->blocks[i];
            Bytes bytes(b.length);
            const std::int64_t at = side == StepSide::Old ? b.oldAt : b.oldAt + b.length;
            if (files_.readAt(file.get(), at, bytes) != static_cast<std::int64_t>(b.length) ||
                !files_.writeAt(wc, b.offset, bytes))
                return giveUp(text::kCantOpenStep);
            if (i == index->header.returnedBlock) result.block = std::move(bytes);
        }
    } catch (const std::bad_alloc&) {
        return giveUp(text::kNoMemory);
    }
    if (!files_.sync(wc)) return giveUp(text::kCantOpenStep);
    return result;
}

Result<StepResult> UndoStore::back() {
    if (!open_ || state_.currentStep == 0) return StepResult{};
    auto result = apply(state_.currentStep, StepSide::Old);
    if (result) --state_.currentStep;
    return result;
}

Result<StepResult> UndoStore::forward() {
    // Only up to the last step: files above it belong to abandoned steps.
    if (!open_ || state_.currentStep >= state_.lastStep) return StepResult{};
    auto result = apply(state_.currentStep + 1, StepSide::New);
    if (result) ++state_.currentStep;
    return result;
}

Result<StepResult> UndoStore::peek(std::uint32_t blockIndex, StepSide side) const {
    if (!open_) return Fail(text::kCantOpenStep);
    const std::uint32_t step = state_.currentStep == 0 ? 1 : state_.currentStep;
    Handle file(files_, files_.open(stepPath(step), os::OpenMode::ReadOnly));
    if (!file.ok()) return Fail(text::kCantOpenStep);
    const auto index = ReadStepIndex(files_, file.get());
    if (!index) return Fail(text::kCantOpenStep);
    StepResult result{index->header.code, index->header.parameter, std::nullopt, index->header.returnedBlock};
    if (blockIndex >= index->blocks.size()) return result;
    const auto& b = index->blocks[blockIndex];
    try {
        Bytes bytes(b.length);
        if (files_.readAt(file.get(), side == StepSide::Old ? b.oldAt : b.oldAt + b.length, bytes) !=
            static_cast<std::int64_t>(b.length))
            return Fail(text::kCantOpenStep);
        result.block = std::move(bytes);
    } catch (const std::bad_alloc&) {
        return Fail(text::kNoMemory);
    }
    return result;
}

Status UndoStore::save(const std::filesystem::path& userPath, int& userFile) {
    if (!open_) return Fail(text::kCantSaveFile);
    auto replacement = FileReplacement::Begin(
        files_, userPath, {.failureText = text::kCantSaveFile, .permissions = files_.permissions(userFile),
                           .refuseLockedTarget = false});
    if (!replacement) return replacement.failure();
    Bytes chunk(kCopyChunk);
    for (std::int64_t at = 0; at < kImageSize; at += kCopyChunk) {
        const auto part = std::span(chunk).first(static_cast<std::size_t>(std::min(kCopyChunk, kImageSize - at)));
        if (files_.readAt(state_.workingCopyHandle, at, part) != static_cast<std::int64_t>(part.size()))
            return Fail(text::kCantSaveFile);
        if (auto s = replacement->write(at, part); !s) return s;
    }
    auto handle = replacement->commit();
    if (!handle) return handle.failure();
    files_.close(userFile);
    userFile = *handle;
    state_.currentStep = 0;
    state_.lastStep = 0; // the history before a save can no longer be undone
    return {};
}

RecoveryReport UndoStore::Recover(const Workspace& ws) {
    RecoveryReport report;
    FileOps& files = ws.files;
    const auto entries = files.list(ws.mainDirectory);
    if (!entries) return report;
    for (const auto& e : *entries) {
        if (e.isDirectory || !e.name.starts_with(kSessionPrefix) || !e.name.ends_with(kSessionSuffix)) continue;
        const auto path = ws.mainDirectory / e.name;
        Handle session(files, files.open(path, os::OpenMode::ReadWrite));
        if (!session.ok()) continue;
        const auto lock = files.lockExclusive(session.get());
        if (lock == os::LockResult::Busy) ++report.skipped; // a live document's session
        if (lock != os::LockResult::Locked) continue;

        StoredUndoState bytes{};
        const std::int64_t size = files.size(session.get());
        const bool whole = size == static_cast<std::int64_t>(kUndoStateSize) &&
                           files.readAt(session.get(), 0, bytes) == static_cast<std::int64_t>(kUndoStateSize);
        // The stored directory is only trusted when it has the form of ours: the clean-up
        // deletes files in it.
        if (const auto state = whole ? DecodeUndoState(bytes) : std::nullopt;
            state && state->tempDirectory.is_absolute() && IsUndoDirectoryName(state->tempDirectory.filename().native()))
            RemoveUndoDirectory(files, state->tempDirectory);
        files.removeFile(path);
        ++report.removed;
    }
    return report;
}

} // namespace veldin
