#pragma once
// The signed list of an update's files, "veldin.manifest" beside "veldin.ver". It names
// every file the server offers for this update, "veldin.ver" among them, with its size,
// its SHA-256 and the mode a new installed file gets; the last line signs all the lines
// before it with Ed25519. Text, one record per line, each ending in "\n":
//
//   VELDIN update manifest 1
//   published 1796729400
//   file 0755 40312 <64 hex digits of the SHA-256> veldin-cl_
//   file 0644 187 <64 hex digits> veldin.ver
//   signature <64 hex digits of the public key> <128 hex digits of the signature>
//
// "published" is when the update was made, in seconds since 1970 (UTC): a client never
// goes back to an update older than the last it installed from the same key, so an old
// signed update served again cannot take files back.
// Fields are separated by one blank; the name comes last and may hold blanks. The mode is
// four octal digits (at most 0777), the size a decimal number below 2^32 without leading
// zeros, the hex digits lower case; names are plain file names, each listed once.
// Nothing may follow the signature line. The form is strict so that one list has exactly
// one spelling: what is signed is what is read.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "core/Settings.h"
#include "update/Signing.h"

namespace veldin::update {

inline constexpr std::string_view kManifestFileName = "veldin.manifest";

struct ManifestFile {
    std::string name; // as on the server: "veldin.ver", "veldin.ex_"
    std::uint32_t size = 0;
    Digest sha256{};
    std::uint32_t mode = 0644; // permission bits of the installed file, when it is new

    friend bool operator==(const ManifestFile&, const ManifestFile&) = default;
};

struct Manifest {
    std::uint32_t published = 0;
    std::vector<ManifestFile> files;
    PublicKey key{};
    SignatureBytes signature{};
    std::vector<std::uint8_t> signedBytes; // every line before the signature line

    const ManifestFile* find(std::string_view name) const;
};

// Fails with "Update details are corrupted!" for anything but the strict form.
Result<Manifest> ParseManifest(std::span<const std::uint8_t> bytes);

// The lines before the signature, for files in the given order.
std::vector<std::uint8_t> WriteManifestBody(std::uint32_t published, const std::vector<ManifestFile>& files);
// The whole manifest: the body and its signature line.
std::vector<std::uint8_t> SignManifest(std::uint32_t published, const std::vector<ManifestFile>& files,
                                       const SigningKey& key);

ManifestFile DescribeFile(std::string name, std::span<const std::uint8_t> bytes, std::uint32_t mode);

// Whether the manifest is signed by one of `trusted` with a signature that holds; the
// failure carries the reason, for the user (the main status still says the details are
// corrupted).
Status CheckSignature(const Manifest& manifest, std::span<const PublicKey> trusted);

// Whether the manifest is not older than the last one installed with its key (the value
// "Update Published <first 16 hex digits of the key>", 32-bit), and remembering it.
Status CheckNotOlder(const Manifest& manifest, SettingsStore& store);
void RememberPublished(const Manifest& manifest, SettingsStore& store);

// Whether `bytes`, fetched as `name`, are the file the manifest lists.
Status CheckFile(const Manifest& manifest, std::string_view name, std::span<const std::uint8_t> bytes);

} // namespace veldin::update
