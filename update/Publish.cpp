#include "update/Publish.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <limits>
#include <set>

#include "core/FileRead.h"
#include "update/AtomicWrite.h"
#include "update/Manifest.h"
#include "update/PackedFile.h"
#include "update/SafeName.h"
#include "update/UpdateMessages.h"

namespace veldin::update {
namespace fs = std::filesystem;
namespace {

std::optional<std::vector<std::uint8_t>> ReadAll(const fs::path& path) {
    auto bytes = ReadFileBytes(path);
    if (!bytes) return std::nullopt;
    return std::move(bytes).value();
}

bool EndsWithNoCase(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && std::equal(tail.begin(), tail.end(), s.end() - static_cast<std::ptrdiff_t>(tail.size()),
                                                 [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

Result<std::vector<std::string>> ListFiles(const fs::path& dir) {
    std::error_code ec;
    std::vector<std::string> names;
    fs::directory_iterator it(dir, ec);
    if (ec) return Fail(std::string(text::kPublishCantRead) + dir.string());
    for (const auto& e : it)
        if (e.is_regular_file(ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::uint32_t Now() {
    const auto t = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(t.count());
}

} // namespace

std::optional<EntryKind> KindFromName(std::string_view name) {
    for (std::uint32_t k = 0; k <= 3; ++k)
        if (KindName(k) == name) return static_cast<EntryKind>(k);
    return std::nullopt;
}

Result<std::vector<PublishedFile>> Publish(const fs::path& dir, const fs::path& out, const SigningKey& key,
                                           const std::map<std::string, EntryKind>& kinds,
                                           std::optional<std::uint32_t> date) {
    auto names = ListFiles(dir);
    if (!names) return names.failure();
    for (const auto& [name, kind] : kinds)
        if (std::find(names->begin(), names->end(), name) == names->end())
            return Fail(std::string(text::kPublishUnknownFile) + name);

    std::set<std::string> packedNames;
    for (const auto& name : *names) {
        if (!IsSafeFileName(name) || !IsSafeFileName(PackedName(name))) return Fail(std::string(text::kPublishBadName) + name);
        if (!packedNames.insert(PackedName(name)).second) return Fail(std::string(text::kPublishSameName) + PackedName(name));
    }

    std::error_code ec;
    fs::create_directories(out, ec);
    VersionFile details;
    std::vector<PublishedFile> published;
    std::vector<ManifestFile> listed;
    for (const auto& name : *names) {
        auto bytes = ReadAll(dir / name);
        if (!bytes) return Fail(std::string(text::kPublishCantRead) + (dir / name).string());
        if (bytes->size() > std::numeric_limits<std::uint32_t>::max()) return Fail(std::string(text::kPublishTooBig) + name);
        PublishedFile f{EntryForName(name), name, PackedName(name)};
        const auto version = FindFileVersion(*bytes);
        EntryKind kind = version ? EntryKind::Normal : EndsWithNoCase(name, ".reg") ? EntryKind::Registry : EntryKind::Forced;
        if (auto k = kinds.find(name); k != kinds.end()) kind = k->second;
        f.entry.kind = static_cast<std::uint32_t>(kind);
        if (version) f.entry.version = *version;
        const auto packed = PackFile(*bytes);
        f.entry.size = static_cast<std::uint32_t>(bytes->size());
        f.entry.packedSize = static_cast<std::uint32_t>(packed.size());
        if (!ReplaceFileAtomically(out / f.packedName, packed)) return Fail(std::string(text::kPublishCantWrite) + out.string());
        const auto mode = static_cast<std::uint32_t>(fs::status(dir / name, ec).permissions() & fs::perms::mask);
        listed.push_back(DescribeFile(f.packedName, packed, ec ? 0644 : mode));
        details.entries.push_back(f.entry);
        published.push_back(std::move(f));
    }
    const auto ver = WriteVersionFile(details);
    listed.push_back(DescribeFile(std::string(kVersionFileName), ver, 0644));
    // The manifest goes last: a client that finds it finds every file it lists.
    if (!ReplaceFileAtomically(out / std::string(kVersionFileName), ver) ||
        !ReplaceFileAtomically(out / std::string(kManifestFileName), SignManifest(date ? *date : Now(), listed, key)))
        return Fail(std::string(text::kPublishCantWrite) + out.string());
    return published;
}

} // namespace veldin::update
