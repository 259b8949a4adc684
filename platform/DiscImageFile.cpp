#include "platform/DiscImageFile.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include "cd/RawSector.h"
#include "core/Messages.h"

namespace veldin::platform {
namespace {

// Raw sectors are read this many at a time.
constexpr std::size_t kRawChunk = 32;

int LastErrorOr(int fallback) { return errno != 0 ? errno : fallback; }

} // namespace

Result<std::unique_ptr<DiscImageFile>> DiscImageFile::open(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return Fail(text::kCantOpenFile);
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return Fail(text::kCantOpenFile);
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail(text::kCantOpenFile);
    std::array<std::uint8_t, cd::kSyncSize> head{};
    in.read(reinterpret_cast<char*>(head.data()), head.size());
    in.clear();
    const bool raw = in.gcount() == static_cast<std::streamsize>(head.size()) && cd::StartsWithSync(head);
    const DiscImageFormat format = raw ? DiscImageFormat::RawMode1 : DiscImageFormat::Iso;
    const std::uint64_t blocks = size / (raw ? cd::kRawSectorSize : cd::kBlockSize);
    return std::unique_ptr<DiscImageFile>(new DiscImageFile(std::move(in), format, blocks));
}

std::size_t DiscImageFile::sectorSize() const {
    return format_ == DiscImageFormat::RawMode1 ? cd::kRawSectorSize : cd::kBlockSize;
}

Status DiscImageFile::readBlocks(std::uint64_t first, std::span<std::uint8_t> out) {
    const std::uint64_t count = out.size() / cd::kBlockSize;
    if (first > blocks_ || count > blocks_ - first) return cd::ReadError(EIO);
    const auto readAt = [this](std::uint64_t block, std::span<std::uint8_t> into) -> Status {
        errno = 0;
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(block * sectorSize()));
        in_.read(reinterpret_cast<char*>(into.data()), static_cast<std::streamsize>(into.size()));
        if (!in_ || in_.gcount() != static_cast<std::streamsize>(into.size())) return cd::ReadError(LastErrorOr(EIO));
        return {};
    };
    if (format_ == DiscImageFormat::Iso) return readAt(first, out.first(count * cd::kBlockSize));

    for (std::uint64_t done = 0; done < count;) {
        const std::uint64_t n = std::min<std::uint64_t>(kRawChunk, count - done);
        raw_.resize(n * cd::kRawSectorSize);
        if (auto st = readAt(first + done, raw_); !st) return st;
        for (std::uint64_t i = 0; i < n; ++i) {
            const std::span<const std::uint8_t, cd::kRawSectorSize> sector(raw_.data() + i * cd::kRawSectorSize,
                                                                           cd::kRawSectorSize);
            if (!cd::IsMode1Sector(sector)) return cd::ReadError(EIO);
            std::copy_n(sector.begin() + cd::kUserDataOffset, cd::kBlockSize,
                        out.begin() + static_cast<std::ptrdiff_t>((done + i) * cd::kBlockSize));
        }
        done += n;
    }
    return {};
}

} // namespace veldin::platform
