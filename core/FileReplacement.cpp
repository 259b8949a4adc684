#include "core/FileReplacement.h"

#include <utility>

namespace veldin {

FileReplacement::FileReplacement(os::FileOps& files, std::filesystem::path target, std::filesystem::path temp,
                                 int handle, std::string_view failureText)
    : files_(&files), target_(std::move(target)), temp_(std::move(temp)), handle_(handle), failureText_(failureText) {}

FileReplacement::FileReplacement(FileReplacement&& other) noexcept
    : files_(other.files_), target_(std::move(other.target_)), temp_(std::move(other.temp_)),
      handle_(std::exchange(other.handle_, os::kNoHandle)), failureText_(other.failureText_) {}

FileReplacement::~FileReplacement() {
    if (handle_ == os::kNoHandle) return;
    files_->close(handle_);
    files_->removeFile(temp_);
}

Failure FileReplacement::failure() const { return Fail(failureText_); }

Result<FileReplacement> FileReplacement::Begin(os::FileOps& files, const std::filesystem::path& requested,
                                               Options options) {
    // A link is followed: the file it names is replaced and the link stays a link.
    std::error_code ec;
    std::filesystem::path target = std::filesystem::canonical(requested, ec);
    if (ec) target = requested;
    std::optional<std::uint32_t> permissions = options.permissions;
    const int existing = files.open(target, os::OpenMode::ReadOnly);
    if (existing != os::kNoHandle) {
        const bool locked =
            options.refuseLockedTarget && files.lockExclusive(existing) == os::LockResult::Busy;
        if (!permissions) permissions = files.permissions(existing);
        files.close(existing);
        if (locked) return Fail(options.failureText);
    }
    if (!permissions) permissions = files.newFilePermissions();

    std::filesystem::path directory = target.parent_path();
    if (directory.empty()) directory = ".";
    auto temp = files.createUnique(directory, "VDN", ".tmp");
    if (!temp) return Fail(options.failureText);
    FileReplacement r(files, target, temp->path, temp->handle, options.failureText);
    // Locked from the start, so that a clean-up of stale files in the same folder
    // leaves it alone, and so that the file is already held when it takes the target's name.
    if (files.lockExclusive(r.handle_) != os::LockResult::Locked || !files.setPermissions(r.handle_, *permissions))
        return r.failure();
    return r;
}

Status FileReplacement::write(std::int64_t offset, std::span<const std::uint8_t> bytes) {
    if (handle_ == os::kNoHandle || !files_->writeAt(handle_, offset, bytes)) return failure();
    return {};
}

Result<int> FileReplacement::commit() {
    if (handle_ == os::kNoHandle || !files_->sync(handle_)) return failure();
    if (!files_->rename(temp_, target_)) return failure();
    // The target now is the new file, whole. A directory that cannot be flushed only
    // leaves the rename less durable, never a mixed file, so the save stands.
    std::filesystem::path directory = target_.parent_path();
    files_->syncDirectory(directory.empty() ? std::filesystem::path(".") : directory);
    return std::exchange(handle_, os::kNoHandle);
}

} // namespace veldin
