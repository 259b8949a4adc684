#include "launcher/FloppyOptions.h"

#include <algorithm>
#include <limits>

#include "launcher/FormatCommand.h"

namespace veldin {
namespace {

void ReadText(SettingsStore& store, std::string_view name, std::string& into) {
    const auto bytes = store.read("", name, RegType::Sz);
    if (bytes && !bytes->empty()) into.assign(bytes->begin(), bytes->end());
}

} // namespace

std::uint8_t IoRepeatFromTyped(std::string_view typed) {
    constexpr unsigned kMax = std::numeric_limits<std::uint8_t>::max();
    unsigned value = 0;
    for (const char c : typed) {
        if (c < '0' || c > '9') break;
        value = std::min(kMax + 1, value * 10 + static_cast<unsigned>(c - '0'));
    }
    return static_cast<std::uint8_t>(std::min(value, kMax));
}

std::string_view FloppyDeviceSettings::formatCommandLine(DriveKind kind) const {
    if (kind == DriveKind::Internal && !formatCommand.empty()) return formatCommand;
    if (kind == DriveKind::Usb && !usbFormatCommand.empty()) return usbFormatCommand;
    if (kind == DriveKind::File && !fileFormatCommand.empty()) return fileFormatCommand;
    return DefaultFormatCommandLine(kind);
}

FloppyDeviceSettings LoadFloppyDeviceSettings(SettingsStore& store) {
    FloppyDeviceSettings s;
    ReadText(store, kDriveADeviceValue, s.devices[0]);
    ReadText(store, kDriveBDeviceValue, s.devices[1]);
    ReadText(store, kFormatCommandValue, s.formatCommand);
    ReadText(store, kUsbFormatCommandValue, s.usbFormatCommand);
    ReadText(store, kFileFormatCommandValue, s.fileFormatCommand);
    ReadText(store, kDriveAFaultsValue, s.faults[0]);
    ReadText(store, kDriveBFaultsValue, s.faults[1]);
    return s;
}

} // namespace veldin
