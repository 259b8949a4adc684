#include "cli/SongImageFile.h"

#include <cstdio>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#define VELDIN_FSYNC _commit
#define VELDIN_FILENO _fileno
#else
#include <unistd.h>
#define VELDIN_FSYNC fsync
#define VELDIN_FILENO fileno
#endif

#include "core/ImageFile.h"
#include "core/Messages.h"

namespace veldin::cli {

Result<OpenSongImage> OpenImageForSongs(const std::filesystem::path& path) {
    auto loaded = LoadImageFile(path);
    if (!loaded) return loaded.failure();
    return OpenSongImage{midi::MemoryImage(std::move(loaded->bytes)), loaded->definition};
}

Status SaveImageAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::filesystem::path temp = path;
    temp += ".veldin-tmp";
    std::FILE* f = std::fopen(temp.string().c_str(), "wb");
    if (!f) return Fail(text::kCantCreateFile);
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    ok = VELDIN_FSYNC(VELDIN_FILENO(f)) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    std::error_code ec;
    if (ok) std::filesystem::rename(temp, path, ec);
    if (!ok || ec) {
        std::filesystem::remove(temp, ec);
        return Fail(text::kCantCreateFile);
    }
    return {};
}

} // namespace veldin::cli
