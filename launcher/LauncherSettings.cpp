#include "launcher/LauncherSettings.h"

#include <system_error>

#include "launcher/ModuleHost.h"

namespace veldin::launcher {

SettingsStart ReadLauncherSettings(SettingsStore& store, LauncherSettings& s, UserInteraction& ui) {
    if (!store.keyExists("")) {
        s.floppy = 0;
        s.ioRepeat = 3;
        return SettingsStart::FirstRun;
    }
    ReadTable(store, "", LauncherTable(), StorageOf(s), ui, kTitle);
    return SettingsStart::Loaded;
}

Status PrepareFirstRun(LauncherSettings& s, const std::filesystem::path& installDir) {
    const auto images = installDir / kDiskImagesFolder;
    SetFieldString(s.mainPath, installDir.string());
    SetFieldString(s.sdkPath, images.string());
    std::error_code ec;
    std::filesystem::create_directories(images, ec);
    if (ec) return Fail("Couldn't create directory " + images.string());
    return {};
}

void SaveLauncherSettings(SettingsStore& store, const LauncherSettings& s, UserInteraction& ui) {
    if (!store.keyExists("")) store.createKey("");
    SaveSettings(store, "", LauncherTable(), StorageOf(s), ui, kTitle);
}

void SaveLauncherPosition(SettingsStore& store, const LauncherSettings& s, UserInteraction& ui) {
    if (!store.keyExists("")) store.createKey("");
    SaveSettings(store, "", LauncherPositionTable(), StorageOf(s), ui, kTitle);
}

std::uint8_t RepeatCount(std::string_view digits) {
    unsigned value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') break;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return static_cast<std::uint8_t>(value & 0xFF);
}

} // namespace veldin::launcher
