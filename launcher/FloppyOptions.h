#pragma once
// The floppy part of the launcher's options: the IO repeat count as typed, and what the
// drive entries "Drive A:" and "Drive B:" stand for on this machine.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/FloppyDevice.h"
#include "core/Settings.h"

namespace veldin {

// The count is stored in one byte; a typed number above 255 is held at 255 rather than
// wrapped (300 would otherwise become 44). The edit accepts digits only; anything after
// the leading digits is ignored, and no digits give 0 (which still means one attempt).
std::uint8_t IoRepeatFromTyped(std::string_view typed);

// Values of the main key, each a string, read when present; an installation that has
// never set them keeps the defaults without a warning.
inline constexpr std::string_view kDriveADeviceValue = "Drive A Device";
inline constexpr std::string_view kDriveBDeviceValue = "Drive B Device";
inline constexpr std::string_view kFormatCommandValue = "Format Command";
inline constexpr std::string_view kUsbFormatCommandValue = "USB Format Command";
inline constexpr std::string_view kFileFormatCommandValue = "File Format Command";
// Faults of a drive that is an image file (a fault plan: "17:always 300:fail=2"), so the
// failure paths can be tried without a bad floppy; ignored for real drives.
inline constexpr std::string_view kDriveAFaultsValue = "Drive A Faults";
inline constexpr std::string_view kDriveBFaultsValue = "Drive B Faults";

struct FloppyDeviceSettings {
    std::array<std::string, 2> devices{"/dev/fd0", "/dev/fd1"}; // drive index 0 = A:, 1 = B:
    std::string formatCommand;    // controller drives; empty: the default formatter
    std::string usbFormatCommand; // USB drives; empty: the default formatter
    std::string fileFormatCommand; // image files acting as drives; empty: the default formatter
    std::array<std::string, 2> faults; // of each drive index, when it is an image file

    // The device of a drive index; an index other than 1 is drive A:.
    const std::string& device(std::uint8_t driveIndex) const { return devices[driveIndex == 1 ? 1 : 0]; }
    const std::string& faultsOf(std::uint8_t driveIndex) const { return faults[driveIndex == 1 ? 1 : 0]; }
    // The configured command line for the kind of drive, else the default one.
    std::string_view formatCommandLine(DriveKind kind) const;
};

FloppyDeviceSettings LoadFloppyDeviceSettings(SettingsStore& store);

} // namespace veldin
