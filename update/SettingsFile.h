#pragma once
// Settings files that an update brings ("Registry" entries): the text form of registry
// exports, imported into the settings store.
//
//   REGEDIT4                          (or "Windows Registry Editor Version 5.00")
//   [HKEY_CURRENT_USER\Software\Brannick\VELDIN\Tone Editor]
//   "Tone Path"="C:\\VELDIN\\Tones"    string, with \\ and \" escapes
//   "Tree"=dword:00000001              32-bit number, 8 hex digits at most
//   "Flags"=hex:01,00,\               bytes, lines continued with a final backslash
//     ff
//
// Comments start with ";". Files may be UTF-8 (with or without BOM) or UTF-16LE with its
// BOM, as Windows writes them. Only the main key and its direct subkeys may be named;
// anything else, or any line that is not understood, refuses the whole file, so that a
// damaged file changes no setting.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/Result.h"
#include "core/Settings.h"
#include "core/UserInteraction.h"

namespace veldin::update {

struct SettingValue {
    std::string subkey; // "" for the main key
    std::string name;
    RegType type;
    std::vector<std::uint8_t> bytes; // as SettingsStore takes them
    friend bool operator==(const SettingValue&, const SettingValue&) = default;
};

// Fails with the damaged-settings-file text.
Result<std::vector<SettingValue>> ParseSettingsFile(std::span<const std::uint8_t> bytes);

// Parses, then writes every value; a value that cannot be written is reported as the
// settings engine reports it, and the others are still written.
Status ImportSettingsFile(std::span<const std::uint8_t> bytes, SettingsStore& store, UserInteraction& ui);

} // namespace veldin::update
