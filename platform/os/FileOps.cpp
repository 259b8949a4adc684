// POSIX implementation of the file services.
#include "platform/os/FileOps.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <system_error>

namespace veldin::os {
namespace {

class PosixFileOps final : public FileOps {
public:
    int open(const std::filesystem::path& path, OpenMode mode) override {
        int flags = O_CLOEXEC;
        switch (mode) {
        case OpenMode::ReadOnly: flags |= O_RDONLY; break;
        case OpenMode::ReadWrite: flags |= O_RDWR; break;
        case OpenMode::CreateTruncate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
        }
        int fd;
        do fd = ::open(path.c_str(), flags, 0666);
        while (fd < 0 && errno == EINTR);
        if (fd < 0) return kNoHandle;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) { // directories, devices, fifos are no image files
            ::close(fd);
            return kNoHandle;
        }
        return fd;
    }

    bool close(int handle) override { return handle >= 0 && ::close(handle) == 0; }

    std::int64_t size(int handle) override {
        struct stat st {};
        if (::fstat(handle, &st) != 0) return -1;
        return st.st_size;
    }

    std::int64_t readAt(int handle, std::int64_t offset, std::span<std::uint8_t> buffer) override {
        if (offset < 0) return -1;
        std::size_t done = 0;
        while (done < buffer.size()) {
            const ssize_t n = ::pread(handle, buffer.data() + done, buffer.size() - done,
                                      static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return -1;
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        return static_cast<std::int64_t>(done);
    }

    bool writeAt(int handle, std::int64_t offset, std::span<const std::uint8_t> bytes) override {
        if (offset < 0) return false;
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pwrite(handle, bytes.data() + done, bytes.size() - done,
                                       static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    bool truncate(int handle, std::int64_t size) override { return ::ftruncate(handle, static_cast<off_t>(size)) == 0; }

    bool sync(int handle) override {
        int rc;
        do rc = ::fdatasync(handle);
        while (rc != 0 && errno == EINTR);
        return rc == 0;
    }

    LockResult lockExclusive(int handle) override {
        int rc;
        do rc = ::flock(handle, LOCK_EX | LOCK_NB);
        while (rc != 0 && errno == EINTR);
        if (rc == 0) return LockResult::Locked;
        return errno == EWOULDBLOCK ? LockResult::Busy : LockResult::Failed;
    }

    std::optional<UniqueFile> createUnique(const std::filesystem::path& directory, std::string_view prefix,
                                           std::string_view suffix) override {
        std::string name = (directory / prefix).string();
        name += "XXXXXX";
        name += suffix;
        const int fd = ::mkstemps(name.data(), static_cast<int>(suffix.size()));
        if (fd < 0) return std::nullopt;
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        return UniqueFile{fd, std::filesystem::path(name)};
    }

    MakeDirResult makeDirectory(const std::filesystem::path& path) override {
        if (::mkdir(path.c_str(), 0700) == 0) return MakeDirResult::Created;
        return errno == EEXIST ? MakeDirResult::Exists : MakeDirResult::Failed;
    }

    bool removeFile(const std::filesystem::path& path) override { return ::unlink(path.c_str()) == 0; }
    bool removeDirectory(const std::filesystem::path& path) override { return ::rmdir(path.c_str()) == 0; }

    bool rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0;
    }

    bool syncDirectory(const std::filesystem::path& directory) override {
        const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return false;
        // Some file systems cannot sync a directory and say so with EINVAL; their
        // renames are as durable as they get.
        const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
        ::close(fd);
        return ok;
    }

    std::optional<std::vector<DirEntry>> list(const std::filesystem::path& directory) override {
        DIR* dir = ::opendir(directory.c_str());
        if (!dir) return std::nullopt;
        std::vector<DirEntry> entries;
        while (const dirent* e = ::readdir(dir)) {
            const std::string_view name = e->d_name;
            if (name == "." || name == "..") continue;
            struct stat st {};
            const bool isDir = ::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
            entries.push_back({std::string(name), isDir});
        }
        ::closedir(dir);
        return entries;
    }

    std::optional<std::uint32_t> permissions(int handle) override {
        struct stat st {};
        if (::fstat(handle, &st) != 0) return std::nullopt;
        return static_cast<std::uint32_t>(st.st_mode & 07777);
    }

    bool setPermissions(int handle, std::uint32_t bits) override {
        return ::fchmod(handle, static_cast<mode_t>(bits & 07777)) == 0;
    }

    std::uint32_t newFilePermissions() override {
        // The mask can only be read by setting it; the lock keeps two readers from
        // seeing each other's temporary 0.
        static std::mutex lock;
        const std::lock_guard guard(lock);
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return static_cast<std::uint32_t>(0666 & ~mask);
    }

    bool isSameFile(int handle, const std::filesystem::path& path) override {
        struct stat a {}, b {};
        if (::fstat(handle, &a) != 0 || ::stat(path.c_str(), &b) != 0) return false;
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    }

    std::filesystem::path temporaryFolder() override {
        std::error_code ec;
        auto p = std::filesystem::temp_directory_path(ec);
        return ec ? std::filesystem::path("/tmp") : p;
    }

    std::filesystem::path executableDirectory() override {
        std::error_code ec;
        const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (ec) return std::filesystem::current_path(ec);
        return exe.parent_path();
    }
};

} // namespace

FileOps& SystemFileOps() {
    static PosixFileOps ops;
    return ops;
}

} // namespace veldin::os
