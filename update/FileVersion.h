#pragma once
// File versions. A version is four 16-bit parts, major.minor.build.revision, held as two
// 32-bit words as the update details carry them: high = major << 16 | minor,
// low = build << 16 | revision.
//
// Every program and module that we deliver carries its version as the text
//   "VELDIN-FileVersion=" major "." minor "." build "." revision NUL
// (decimal parts) somewhere in its bytes; the build puts it there (veldin_stamp_version)
// and the update client finds it again by scanning the file.

#include <compare>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace veldin::update {

struct FileVersion {
    std::uint32_t high = 0;
    std::uint32_t low = 0;

    static FileVersion FromParts(std::uint16_t major, std::uint16_t minor, std::uint16_t build, std::uint16_t revision);
    std::uint16_t major() const { return static_cast<std::uint16_t>(high >> 16); }
    std::uint16_t minor() const { return static_cast<std::uint16_t>(high); }
    std::uint16_t build() const { return static_cast<std::uint16_t>(low >> 16); }
    std::uint16_t revision() const { return static_cast<std::uint16_t>(low); }

    // "1.2.3.4"
    std::string toString() const;
    friend auto operator<=>(const FileVersion& a, const FileVersion& b) = default;
};

inline constexpr std::string_view kVersionMarker = "VELDIN-FileVersion=";

// "1.2.3.4" with each part 0..65535; nothing else around it.
std::optional<FileVersion> ParseVersion(std::string_view text);

// The first well-formed marker in the bytes (a marker text not followed by a version and
// its NUL, as in the client's own code, is passed over).
std::optional<FileVersion> FindFileVersion(std::span<const std::uint8_t> bytes);

// The same for a file, read in pieces; nullopt also when the file cannot be read.
std::optional<FileVersion> ReadFileVersion(const std::filesystem::path& path);

} // namespace veldin::update
