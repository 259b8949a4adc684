#pragma once
// The update details "veldin.ver": which files the server offers, how each is treated and
// at which version. Little-endian:
//
//   0 "DPUO"   4 eight bytes not interpreted   12 entry count   16 entries
//
// Entry: 32-byte header, then the name without terminating zero.
//
//   0 not interpreted   4 kind   8 version low word   12 version high word
//   16 file size   20 packed size   24 four characters appended to the name
//   28 name length n   32 the name (n bytes)

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "update/FileVersion.h"

namespace veldin::update {

enum class EntryKind : std::uint32_t { Forced = 0, Normal = 1, Registry = 2, Launch = 3 };

struct Entry {
    std::uint32_t reserved = 0;
    std::uint32_t kind = 0; // an EntryKind, or any other number, which is skipped
    FileVersion version;
    std::uint32_t size = 0;
    std::uint32_t packedSize = 0;
    std::array<char, 4> suffix{}; // "the extension": appended to the name up to a NUL
    std::string name;

    bool knownKind() const { return kind <= static_cast<std::uint32_t>(EntryKind::Launch); }
    std::string fullName() const;
    friend bool operator==(const Entry&, const Entry&) = default;
};

struct VersionFile {
    std::array<std::uint8_t, 8> reserved{};
    std::vector<Entry> entries;
};

inline constexpr std::string_view kVersionFileName = "veldin.ver";

// "Forced", "Normal", "Registry", "Launch"; "" for any other number.
std::string_view KindName(std::uint32_t kind);

// The name of a file on the server: the full name with its last character replaced by
// "_" ("veldin.exe" travels as "veldin.ex_").
std::string PackedName(std::string_view fullName);

// Fails with "Update details are corrupted!" for a wrong magic and also for a file that
// ends inside its header or inside an entry (no entry of such a file is acted on).
Result<VersionFile> ParseVersionFile(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> WriteVersionFile(const VersionFile& file);

// Splits a full name the way the publisher stores it: the last four characters become
// the suffix; a shorter name goes whole into the suffix, padded with NULs.
Entry EntryForName(std::string_view fullName);

} // namespace veldin::update
