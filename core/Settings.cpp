#include "core/Settings.h"

#include <algorithm>
#include <cstring>

#include "core/Bytes.h"
#include "core/Messages.h"

namespace veldin {
namespace {

constexpr std::uint32_t kPathSize = 256;

bool Fits(const SettingEntry& e, std::span<const std::byte> storage) {
    return e.offset <= storage.size() && e.size <= storage.size() - e.offset;
}

// Copies a value read from the store into its storage; false when it does not fit the
// entry's type and size (a registry read into a too-small buffer fails the same way).
bool Assign(const SettingEntry& e, const std::vector<std::uint8_t>& bytes, std::span<std::byte> storage) {
    auto* dst = storage.data() + e.offset;
    switch (e.type) {
    case RegType::Sz:
        if (bytes.size() + 1 > e.size) return false;
        std::memset(dst, 0, e.size);
        if (!bytes.empty()) std::memcpy(dst, bytes.data(), bytes.size());
        return true;
    case RegType::Dword: {
        if (bytes.size() != 4 || e.size < 4) return false;
        std::memcpy(dst, bytes.data(), 4); // little-endian on every platform we build for
        return true;
    }
    case RegType::Binary:
        if (bytes.size() > e.size) return false;
        if (!bytes.empty()) std::memcpy(dst, bytes.data(), bytes.size());
        return true;
    }
    return false;
}

std::vector<std::uint8_t> Extract(const SettingEntry& e, std::span<const std::byte> storage) {
    const auto* src = reinterpret_cast<const std::uint8_t*>(storage.data() + e.offset);
    if (e.type == RegType::Sz) {
        const auto* end = std::find(src, src + e.size, std::uint8_t{0});
        return {src, end};
    }
    return {src, src + e.size};
}

bool NonZero(const SettingEntry& e, std::span<const std::byte> storage) {
    const auto* p = storage.data() + e.offset;
    return std::any_of(p, p + e.size, [](std::byte b) { return b != std::byte{0}; });
}

std::optional<std::string> ReadText(SettingsStore& store, std::string_view name) {
    auto v = store.read("", name, RegType::Sz);
    if (!v || v->size() + 1 > kPathSize) return std::nullopt;
    return std::string(v->begin(), v->end());
}

std::optional<std::uint32_t> ReadDword(SettingsStore& store, std::string_view name) {
    auto v = store.read("", name, RegType::Dword);
    if (!v || v->size() != 4) return std::nullopt;
    return ReadLe32(*v);
}

} // namespace

std::string KeyPath(std::string_view moduleKey) {
    std::string path(kMainKey);
    if (!moduleKey.empty()) {
        path += '\\';
        path += moduleKey;
    }
    return path;
}

std::string FieldString(std::span<const char> field) {
    const auto end = std::find(field.begin(), field.end(), '\0');
    return std::string(field.begin(), end);
}

void SetFieldString(std::span<char> field, std::string_view text) {
    if (field.empty()) return;
    const std::size_t n = std::min(text.size(), field.size() - 1);
    std::fill(field.begin(), field.end(), '\0');
    std::copy_n(text.begin(), n, field.begin());
}

LoadOutcome LoadSettings(SettingsStore& store, std::string_view moduleKey, std::span<const SettingEntry> table,
                         std::span<std::byte> storage, CommonSettings& common, UserInteraction& ui,
                         std::string_view title) {
    if (!store.keyExists("")) {
        ui.message(text::kReinstall, title, Icon::Error);
        return LoadOutcome::Fatal;
    }
    auto mainPath = ReadText(store, "Main Path");
    if (!mainPath) {
        ui.message(text::kReinstall, title, Icon::Warning);
        return LoadOutcome::Fatal;
    }
    common.mainPath = *mainPath;
    common.sdkPath = ReadText(store, "SDK Path").value_or(common.mainPath);
    if (auto x = ReadDword(store, "WinPosX")) common.launcherX = *x;
    if (auto y = ReadDword(store, "WinPosY")) common.launcherY = *y;

    if (!moduleKey.empty() && !store.keyExists(moduleKey)) return LoadOutcome::FirstStart;
    ReadTable(store, moduleKey, table, storage, ui, title);
    return LoadOutcome::Loaded;
}

void ReadTable(SettingsStore& store, std::string_view moduleKey, std::span<const SettingEntry> table,
               std::span<std::byte> storage, UserInteraction& ui, std::string_view title) {
    for (const auto& e : table) {
        if (e.usage == Usage::End) break;
        if (e.usage == Usage::GroupEnd || !Fits(e, storage)) continue;
        auto value = store.read(moduleKey, e.name, e.type);
        if (!value || !Assign(e, *value, storage)) {
            ui.message(KeyPath(moduleKey) + "\\" + std::string(e.name) + std::string(text::kCantReadKey), title,
                       Icon::Warning);
        }
    }
}

void SaveSettings(SettingsStore& store, std::string_view moduleKey, std::span<const SettingEntry> table,
                  std::span<const std::byte> storage, UserInteraction& ui, std::string_view title) {
    if (!moduleKey.empty() && !store.keyExists(moduleKey)) store.createKey(moduleKey);
    bool groupOn = true;
    for (const auto& e : table) {
        if (e.usage == Usage::End) break;
        if (e.usage == Usage::GroupEnd) {
            groupOn = true;
            continue;
        }
        if (!Fits(e, storage)) continue;
        if (e.usage == Usage::Plain && !groupOn) continue;
        if (e.usage == Usage::GroupFlag) groupOn = NonZero(e, storage);
        const auto bytes = Extract(e, storage);
        if (!store.write(moduleKey, e.name, e.type, bytes)) {
            ui.message(KeyPath(moduleKey) + "\\" + std::string(e.name) + std::string(text::kCantWriteKey), title,
                       Icon::Warning);
        }
    }
}

} // namespace veldin
