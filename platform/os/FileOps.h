#pragma once
// The operating-system file services that the disk image core needs, behind one small
// interface so that the core stays free of POSIX headers and so that tests can inject
// failures (or a kill) at any single call.
//
// Handles are plain integers (-1 = none); the core never interprets them.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veldin::os {

inline constexpr int kNoHandle = -1;

enum class OpenMode {
    ReadOnly,        // existing file
    ReadWrite,       // existing file
    CreateTruncate,  // read/write, created or emptied
};

enum class LockResult { Locked, Busy, Failed };
enum class MakeDirResult { Created, Exists, Failed };

struct DirEntry {
    std::string name;
    bool isDirectory = false;
};

struct UniqueFile {
    int handle = kNoHandle;
    std::filesystem::path path;
};

class FileOps {
public:
    virtual ~FileOps() = default;

    virtual int open(const std::filesystem::path& path, OpenMode mode) = 0; // kNoHandle on failure
    virtual bool close(int handle) = 0;
    virtual std::int64_t size(int handle) = 0; // -1 on failure
    // Reads up to buffer.size() bytes at `offset`; fewer only at the end of the file; -1 on failure.
    virtual std::int64_t readAt(int handle, std::int64_t offset, std::span<std::uint8_t> buffer) = 0;
    // Writes all bytes at `offset` or fails.
    virtual bool writeAt(int handle, std::int64_t offset, std::span<const std::uint8_t> bytes) = 0;
    virtual bool truncate(int handle, std::int64_t size) = 0;
    // Data and size reach the disk before this returns.
    virtual bool sync(int handle) = 0;
    // Exclusive advisory lock of the whole file, without waiting. It belongs to this open
    // file: a second open of the same file, in this process or another, finds it Busy.
    virtual LockResult lockExclusive(int handle) = 0;

    // A new file "PREFIX" + six unique characters + "SUFFIX" in `directory`, open read/write.
    virtual std::optional<UniqueFile> createUnique(const std::filesystem::path& directory, std::string_view prefix,
                                                   std::string_view suffix) = 0;
    virtual MakeDirResult makeDirectory(const std::filesystem::path& path) = 0;
    virtual bool removeFile(const std::filesystem::path& path) = 0;
    virtual bool removeDirectory(const std::filesystem::path& path) = 0;
    // Replaces `to` atomically: anyone opening `to` sees the old file or the new one.
    virtual bool rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Makes a rename or a new entry in `directory` durable.
    virtual bool syncDirectory(const std::filesystem::path& directory) = 0;
    virtual std::optional<std::vector<DirEntry>> list(const std::filesystem::path& directory) = 0;

    // Permission bits of an open file, and of a new file under the process's file mask.
    virtual std::optional<std::uint32_t> permissions(int handle) = 0;
    virtual bool setPermissions(int handle, std::uint32_t bits) = 0;
    virtual std::uint32_t newFilePermissions() = 0;
    // True when `path` names the very file that `handle` has open (not a replacement).
    virtual bool isSameFile(int handle, const std::filesystem::path& path) = 0;

    virtual std::filesystem::path temporaryFolder() = 0;
    virtual std::filesystem::path executableDirectory() = 0;
};

// The real services of this machine.
FileOps& SystemFileOps();

// Passes every call to another FileOps; tests and fuzzers override the calls they watch.
class ForwardingFileOps : public FileOps {
public:
    explicit ForwardingFileOps(FileOps& next) : next_(next) {}

    int open(const std::filesystem::path& p, OpenMode m) override { return next_.open(p, m); }
    bool close(int h) override { return next_.close(h); }
    std::int64_t size(int h) override { return next_.size(h); }
    std::int64_t readAt(int h, std::int64_t o, std::span<std::uint8_t> b) override { return next_.readAt(h, o, b); }
    bool writeAt(int h, std::int64_t o, std::span<const std::uint8_t> b) override { return next_.writeAt(h, o, b); }
    bool truncate(int h, std::int64_t s) override { return next_.truncate(h, s); }
    bool sync(int h) override { return next_.sync(h); }
    LockResult lockExclusive(int h) override { return next_.lockExclusive(h); }
    std::optional<UniqueFile> createUnique(const std::filesystem::path& d, std::string_view p,
                                           std::string_view s) override {
        return next_.createUnique(d, p, s);
    }
    MakeDirResult makeDirectory(const std::filesystem::path& p) override { return next_.makeDirectory(p); }
    bool removeFile(const std::filesystem::path& p) override { return next_.removeFile(p); }
    bool removeDirectory(const std::filesystem::path& p) override { return next_.removeDirectory(p); }
    bool rename(const std::filesystem::path& f, const std::filesystem::path& t) override { return next_.rename(f, t); }
    bool syncDirectory(const std::filesystem::path& d) override { return next_.syncDirectory(d); }
    std::optional<std::vector<DirEntry>> list(const std::filesystem::path& d) override { return next_.list(d); }
    std::optional<std::uint32_t> permissions(int h) override { return next_.permissions(h); }
    bool setPermissions(int h, std::uint32_t b) override { return next_.setPermissions(h, b); }
    std::uint32_t newFilePermissions() override { return next_.newFilePermissions(); }
    bool isSameFile(int h, const std::filesystem::path& p) override { return next_.isSameFile(h, p); }
    std::filesystem::path temporaryFolder() override { return next_.temporaryFolder(); }
    std::filesystem::path executableDirectory() override { return next_.executableDirectory(); }

protected:
    FileOps& next() { return next_; }

private:
    FileOps& next_;
};

} // namespace veldin::os
