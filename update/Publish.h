#pragma once
// Making an update folder: every regular file of a folder is packed into the short AP32
// form under its packed name, and "veldin.ver" lists them all. A file that carries a
// file version becomes "Normal" (fetched when the installed one is older), a ".reg"
// settings file "Registry", anything else "Forced" (fetched every time); the caller may
// set the kind of any file. "veldin.manifest" lists "veldin.ver" and every packed file
// with its SHA-256 and the mode of the published file, signed with the given key.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/Result.h"
#include "update/Signing.h"
#include "update/VersionFile.h"

namespace veldin::update {

struct PublishedFile {
    Entry entry;
    std::string fullName;
    std::string packedName;
};

// `date`: the manifest's "published", seconds since 1970; nullopt is now.
Result<std::vector<PublishedFile>> Publish(const std::filesystem::path& dir, const std::filesystem::path& out,
                                           const SigningKey& key, const std::map<std::string, EntryKind>& kinds = {},
                                           std::optional<std::uint32_t> date = std::nullopt);

std::optional<EntryKind> KindFromName(std::string_view name); // "Forced", "Normal", ...

} // namespace veldin::update
