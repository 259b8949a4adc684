#pragma once
// File services that fail, or kill the process, at a chosen call: the crash and failure
// tests walk an operation through every call it makes.

#include <functional>
#include <map>

#include "platform/os/FileOps.h"

namespace veldin::test {

enum class Call {
    Open, Close, Size, ReadAt, WriteAt, Truncate, Sync, Lock, CreateUnique, MakeDirectory,
    RemoveFile, RemoveDirectory, Rename, SyncDirectory, List, Permissions, SetPermissions, IsSameFile,
};

class FaultyFileOps final : public os::ForwardingFileOps {
public:
    // `path` is the file of the call: the named one, or the one the handle was opened on.
    using Rule = std::function<bool(Call call, const std::filesystem::path& path)>;

    FaultyFileOps() : ForwardingFileOps(os::SystemFileOps()) {}

    // Calls for which `rule` is true fail (until cleared).
    void failWhen(Rule rule) { failRule_ = std::move(rule); }
    // Counting from now, the n-th call (1 = the next) fails, or kills the process with SIGKILL.
    void failAtCall(int n) { failAt_ = calls_ + n; }
    void killAtCall(int n) { killAt_ = calls_ + n; }
    void clear() {
        failRule_ = nullptr;
        failAt_ = killAt_ = 0;
    }
    int calls() const { return calls_; }

    int open(const std::filesystem::path& p, os::OpenMode m) override;
    bool close(int h) override;
    std::int64_t size(int h) override;
    std::int64_t readAt(int h, std::int64_t o, std::span<std::uint8_t> b) override;
    bool writeAt(int h, std::int64_t o, std::span<const std::uint8_t> b) override;
    bool truncate(int h, std::int64_t s) override;
    bool sync(int h) override;
    os::LockResult lockExclusive(int h) override;
    std::optional<os::UniqueFile> createUnique(const std::filesystem::path& d, std::string_view p,
                                               std::string_view s) override;
    os::MakeDirResult makeDirectory(const std::filesystem::path& p) override;
    bool removeFile(const std::filesystem::path& p) override;
    bool removeDirectory(const std::filesystem::path& p) override;
    bool rename(const std::filesystem::path& f, const std::filesystem::path& t) override;
    bool syncDirectory(const std::filesystem::path& d) override;
    std::optional<std::vector<os::DirEntry>> list(const std::filesystem::path& d) override;
    std::optional<std::uint32_t> permissions(int h) override;
    bool setPermissions(int h, std::uint32_t b) override;
    bool isSameFile(int h, const std::filesystem::path& p) override;

private:
    bool fails(Call call, const std::filesystem::path& path);
    std::filesystem::path pathOf(int handle) const;

    Rule failRule_;
    int calls_ = 0;
    int failAt_ = 0;
    int killAt_ = 0;
    std::map<int, std::filesystem::path> paths_;
};

} // namespace veldin::test
