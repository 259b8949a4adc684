#pragma once
// Table-driven settings. Every module keeps its values in a plain struct and describes
// them in a static table; two small routines walk the table to load and save them
// through a settings store (the registry key "Software\Brannick\VELDIN" and one subkey
// per module, or whatever stands in for it on the platform).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/UserInteraction.h"

namespace veldin {

inline constexpr std::string_view kMainKey = "Software\\Brannick\\VELDIN";

// Registry value types: text, raw bytes of a stated size, 32-bit number.
enum class RegType : std::uint8_t { Sz = 1, Binary = 3, Dword = 4 };

// The store behind the settings. `subkey` is "" for the main key or a module's name
// ("Tone Editor"). Values cross as bytes: REG_SZ without its terminating zero, REG_DWORD
// as 4 little-endian bytes, REG_BINARY as stored.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual bool keyExists(std::string_view subkey) = 0;
    virtual bool createKey(std::string_view subkey) = 0;
    virtual std::optional<std::vector<std::uint8_t>> read(std::string_view subkey, std::string_view name,
                                                          RegType type) = 0;
    virtual bool write(std::string_view subkey, std::string_view name, RegType type,
                       std::span<const std::uint8_t> bytes) = 0;
};

enum class Usage : std::uint8_t {
    End = 0,       // end of table
    Plain = 1,     // written unless inside a group whose flag is zero
    GroupFlag = 2, // written always; heads a group that is written only when it is not zero
    GroupEnd = 3,  // closes the group, no value
    Always = 4,    // written always
};

struct SettingEntry {
    Usage usage;
    std::string_view name;
    std::size_t offset;  // into the module's settings struct
    std::uint32_t size;  // bytes: 1, 4 or 256 (text, zero-terminated)
    RegType type;
};

// What every module reads from the main key.
struct CommonSettings {
    std::string mainPath;   // "Main Path": templates, help, session files
    std::string sdkPath;    // "SDK Path": start directory of the disk image dialogs
    std::uint32_t launcherX = 0; // "WinPosX" / "WinPosY" of the launcher window
    std::uint32_t launcherY = 0;
};

enum class LoadOutcome {
    Loaded,     // the module subkey was read
    FirstStart, // no module subkey yet: the module sets its defaults and opens its preferences
    Fatal,      // the main key or "Main Path" is missing: the module window closes
};

// Reads the common values and then the module's table. `moduleKey` "" reads the table
// from the main key (the launcher's own values). Unreadable values are reported one by
// one as a warning and keep their previous content.
LoadOutcome LoadSettings(SettingsStore& store, std::string_view moduleKey, std::span<const SettingEntry> table,
                         std::span<std::byte> storage, CommonSettings& common, UserInteraction& ui,
                         std::string_view title);

// Reads every row of `table` from `moduleKey` ("" the main key); each value that cannot
// be read is reported as a warning and keeps its previous content.
void ReadTable(SettingsStore& store, std::string_view moduleKey, std::span<const SettingEntry> table,
               std::span<std::byte> storage, UserInteraction& ui, std::string_view title);

// Writes the module's table, creating the subkey when needed; values that cannot be
// written are reported one by one and the others are still written.
void SaveSettings(SettingsStore& store, std::string_view moduleKey, std::span<const SettingEntry> table,
                  std::span<const std::byte> storage, UserInteraction& ui, std::string_view title);

// "Software\Brannick\VELDIN\Tone Editor" (or the main key alone for "").
std::string KeyPath(std::string_view moduleKey);

// Helpers for the fixed-size text fields of settings structs.
std::string FieldString(std::span<const char> field);
void SetFieldString(std::span<char> field, std::string_view text);

template <class T>
std::span<std::byte> StorageOf(T& s) { return std::as_writable_bytes(std::span<T, 1>(&s, 1)); }
template <class T>
std::span<const std::byte> StorageOf(const T& s) { return std::as_bytes(std::span<const T, 1>(&s, 1)); }

} // namespace veldin
