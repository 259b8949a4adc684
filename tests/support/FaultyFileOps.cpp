#include "tests/support/FaultyFileOps.h"

#include <csignal>

namespace veldin::test {

bool FaultyFileOps::fails(Call call, const std::filesystem::path& path) {
    ++calls_;
    if (calls_ == killAt_) std::raise(SIGKILL);
    if (calls_ == failAt_) return true;
    return failRule_ && failRule_(call, path);
}

std::filesystem::path FaultyFileOps::pathOf(int handle) const {
    const auto it = paths_.find(handle);
    return it == paths_.end() ? std::filesystem::path() : it->second;
}

int FaultyFileOps::open(const std::filesystem::path& p, os::OpenMode m) {
    if (fails(Call::Open, p)) return os::kNoHandle;
    const int h = next().open(p, m);
    if (h != os::kNoHandle) paths_[h] = p;
    return h;
}

bool FaultyFileOps::close(int h) {
    const bool fail = fails(Call::Close, pathOf(h));
    paths_.erase(h);
    const bool ok = next().close(h); // a failed close still releases the handle, as close(2) does
    return ok && !fail;
}

std::int64_t FaultyFileOps::size(int h) { return fails(Call::Size, pathOf(h)) ? -1 : next().size(h); }

std::int64_t FaultyFileOps::readAt(int h, std::int64_t o, std::span<std::uint8_t> b) {
    return fails(Call::ReadAt, pathOf(h)) ? -1 : next().readAt(h, o, b);
}

bool FaultyFileOps::writeAt(int h, std::int64_t o, std::span<const std::uint8_t> b) {
    if (!fails(Call::WriteAt, pathOf(h))) return next().writeAt(h, o, b);
    // A write that fails half-way, as on a full disk.
    next().writeAt(h, o, b.first(b.size() / 2));
    return false;
}

bool FaultyFileOps::truncate(int h, std::int64_t s) { return !fails(Call::Truncate, pathOf(h)) && next().truncate(h, s); }
bool FaultyFileOps::sync(int h) { return !fails(Call::Sync, pathOf(h)) && next().sync(h); }

os::LockResult FaultyFileOps::lockExclusive(int h) {
    return fails(Call::Lock, pathOf(h)) ? os::LockResult::Failed : next().lockExclusive(h);
}

std::optional<os::UniqueFile> FaultyFileOps::createUnique(const std::filesystem::path& d, std::string_view p,
                                                          std::string_view s) {
    if (fails(Call::CreateUnique, d)) return std::nullopt;
    auto f = next().createUnique(d, p, s);
    if (f) paths_[f->handle] = f->path;
    return f;
}

os::MakeDirResult FaultyFileOps::makeDirectory(const std::filesystem::path& p) {
    return fails(Call::MakeDirectory, p) ? os::MakeDirResult::Failed : next().makeDirectory(p);
}

bool FaultyFileOps::removeFile(const std::filesystem::path& p) {
    return !fails(Call::RemoveFile, p) && next().removeFile(p);
}
bool FaultyFileOps::removeDirectory(const std::filesystem::path& p) {
    return !fails(Call::RemoveDirectory, p) && next().removeDirectory(p);
}
bool FaultyFileOps::rename(const std::filesystem::path& f, const std::filesystem::path& t) {
    return !fails(Call::Rename, t) && next().rename(f, t);
}
bool FaultyFileOps::syncDirectory(const std::filesystem::path& d) {
    return !fails(Call::SyncDirectory, d) && next().syncDirectory(d);
}
std::optional<std::vector<os::DirEntry>> FaultyFileOps::list(const std::filesystem::path& d) {
    if (fails(Call::List, d)) return std::nullopt;
    return next().list(d);
}
std::optional<std::uint32_t> FaultyFileOps::permissions(int h) {
    if (fails(Call::Permissions, pathOf(h))) return std::nullopt;
    return next().permissions(h);
}
bool FaultyFileOps::setPermissions(int h, std::uint32_t b) {
    return !fails(Call::SetPermissions, pathOf(h)) && next().setPermissions(h, b);
}
bool FaultyFileOps::isSameFile(int h, const std::filesystem::path& p) {
    return !fails(Call::IsSameFile, p) && next().isSameFile(h, p);
}

} // namespace veldin::test
