#pragma once
// Writing a file so that no moment of a crash, a kill or a full disk can leave a mix of
// old and new bytes: the new content goes to a temporary file beside the target
// ("VDN??????.tmp" in the same directory, so the rename stays on one file system), is
// flushed to the disk, takes the target's permissions and is renamed over the target in
// one step. Until the rename the target is untouched; after it the target is the new
// file, complete. A replacement that is not committed removes its temporary file.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

#include "core/Result.h"
#include "platform/os/FileOps.h"

namespace veldin {

class FileReplacement {
public:
    struct Options {
        // Shown for every failure of this replacement.
        std::string_view failureText;
        // Permission bits of the new file; by default those of an existing target, else
        // those of a new file.
        std::optional<std::uint32_t> permissions;
        // Refuse a target that another document holds open (it is locked).
        bool refuseLockedTarget = true;
    };

    static Result<FileReplacement> Begin(os::FileOps& files, const std::filesystem::path& target, Options options);

    FileReplacement(FileReplacement&& other) noexcept;
    FileReplacement& operator=(FileReplacement&&) = delete;
    FileReplacement(const FileReplacement&) = delete;
    ~FileReplacement();

    Status write(std::int64_t offset, std::span<const std::uint8_t> bytes);

    // Flushes, renames over the target and makes the rename durable. Hands back the
    // still open, locked handle of the file that now stands at the target's path.
    Result<int> commit();

private:
    FileReplacement(os::FileOps& files, std::filesystem::path target, std::filesystem::path temp, int handle,
                    std::string_view failureText);
    Failure failure() const;

    os::FileOps* files_;
    std::filesystem::path target_;
    std::filesystem::path temp_;
    int handle_;
    std::string_view failureText_;
};

} // namespace veldin
