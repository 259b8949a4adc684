#pragma once
// The launcher's own settings: read at start (none at all means the first run), written
// whole by the Options dialog's Save, and only the window position on quit.

#include <filesystem>
#include <string_view>

#include "core/ModuleSettings.h"
#include "core/Result.h"
#include "core/Settings.h"
#include "core/UserInteraction.h"

namespace veldin::launcher {

enum class SettingsStart { FirstRun, Loaded };

// The main key missing selects the first run and the defaults (drive A:, 3 attempts);
// otherwise every value is read, each one that cannot be read with its warning.
SettingsStart ReadLauncherSettings(SettingsStore& store, LauncherSettings& s, UserInteraction& ui);

// First run: the installation folder is the start folder, the disk images go to its
// "Diskimages" folder, which is created.
Status PrepareFirstRun(LauncherSettings& s, const std::filesystem::path& installDir);

void SaveLauncherSettings(SettingsStore& store, const LauncherSettings& s, UserInteraction& ui);
void SaveLauncherPosition(SettingsStore& store, const LauncherSettings& s, UserInteraction& ui);

// The repeat edit holds up to three digits; the count is kept in one byte (300 -> 44).
std::uint8_t RepeatCount(std::string_view digits);

inline constexpr std::string_view kDiskImagesFolder = "Diskimages";

} // namespace veldin::launcher
