#include "update/AtomicWrite.h"

#include <cstdio>
#include <random>
#include <string>

#if __has_include(<unistd.h>)
#include <unistd.h>
#define VELDIN_HAVE_FSYNC 1
#endif

namespace veldin::update {
namespace fs = std::filesystem;
namespace {

bool LooksExecutable(std::span<const std::uint8_t> b) {
    return (b.size() >= 4 && b[0] == 0x7F && b[1] == 'E' && b[2] == 'L' && b[3] == 'F') ||
           (b.size() >= 2 && b[0] == '#' && b[1] == '!');
}

bool WriteAndFlush(const fs::path& path, std::span<const std::uint8_t> bytes) {
    std::FILE* f = std::fopen(path.string().c_str(), "wbx"); // x: never reuse an existing file
    if (!f) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
#ifdef VELDIN_HAVE_FSYNC
    ok = ::fsync(::fileno(f)) == 0 && ok;
#endif
    return std::fclose(f) == 0 && ok;
}

fs::path BesideName(const fs::path& target) {
    std::random_device rd;
    return target.parent_path() / ("." + target.filename().string() + ".new-" + std::to_string(rd() % 1000000));
}

} // namespace

bool ReplaceFileAtomically(const fs::path& target, std::span<const std::uint8_t> bytes,
                           std::optional<std::uint32_t> newFileMode) {
    std::error_code ec;
    fs::path temp;
    for (int attempt = 0; attempt < 8; ++attempt) {
        temp = BesideName(target);
        if (!fs::exists(temp, ec) && WriteAndFlush(temp, bytes)) break;
        temp.clear();
    }
    if (temp.empty()) return false;

    fs::perms perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read;
    const auto old = fs::status(target, ec);
    const bool replacing = !ec && fs::is_regular_file(old);
    if (replacing) perms = old.permissions();
    if (!replacing && newFileMode)
        perms = static_cast<fs::perms>(*newFileMode & 0755);
    else if (LooksExecutable(bytes))
        perms |= fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    fs::permissions(temp, perms, ec);

    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace veldin::update
