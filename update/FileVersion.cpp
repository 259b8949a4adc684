#include "update/FileVersion.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <vector>

namespace veldin::update {
namespace {

// The longest marker: prefix + "65535.65535.65535.65535" + NUL.
constexpr std::size_t kMaxMarker = kVersionMarker.size() + 23 + 1;

std::optional<FileVersion> VersionAt(std::string_view rest) {
    const std::size_t end = rest.find('\0');
    if (end == std::string_view::npos || end > 23) return std::nullopt;
    return ParseVersion(rest.substr(0, end));
}

} // namespace

FileVersion FileVersion::FromParts(std::uint16_t major, std::uint16_t minor, std::uint16_t build,
                                   std::uint16_t revision) {
    return {static_cast<std::uint32_t>(major) << 16 | minor, static_cast<std::uint32_t>(build) << 16 | revision};
}

std::string FileVersion::toString() const {
    return std::to_string(major()) + '.' + std::to_string(minor()) + '.' + std::to_string(build()) + '.' +
           std::to_string(revision());
}

std::optional<FileVersion> ParseVersion(std::string_view text) {
    std::uint16_t parts[4] = {};
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (p == end || *p != '.') return std::nullopt;
            ++p;
        }
        if (p == end || *p < '0' || *p > '9') return std::nullopt;
        const auto r = std::from_chars(p, end, parts[i]);
        if (r.ec != std::errc{}) return std::nullopt;
        p = r.ptr;
    }
    if (p != end) return std::nullopt;
    return FileVersion::FromParts(parts[0], parts[1], parts[2], parts[3]);
}

std::optional<FileVersion> FindFileVersion(std::span<const std::uint8_t> bytes) {
    const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    for (std::size_t at = all.find(kVersionMarker); at != std::string_view::npos;
         at = all.find(kVersionMarker, at + 1)) {
        if (auto v = VersionAt(all.substr(at + kVersionMarker.size()))) return v;
    }
    return std::nullopt;
}

std::optional<FileVersion> ReadFileVersion(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    // Pieces overlap by one marker length, so that a marker across a boundary is found.
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    std::vector<std::uint8_t> buf(kPiece + kMaxMarker);
    std::size_t kept = 0;
    for (;;) {
        in.read(reinterpret_cast<char*>(buf.data() + kept), static_cast<std::streamsize>(kPiece));
        const auto got = static_cast<std::size_t>(in.gcount());
        const std::size_t filled = kept + got;
        if (auto v = FindFileVersion(std::span(buf).first(filled))) return v;
        if (got < kPiece) return std::nullopt;
        kept = std::min(filled, kMaxMarker);
        std::copy(buf.begin() + static_cast<std::ptrdiff_t>(filled - kept), buf.begin() + static_cast<std::ptrdiff_t>(filled),
                  buf.begin());
    }
}

} // namespace veldin::update
