#pragma once
// The external formatter: which program formats which kind of drive, and the command
// line the user may configure for it.
//
// A command line is one or more steps separated by "&&" (each step runs only when the one
// before it succeeded, as in a shell); "{device}" in an argument stands for the drive's
// device path. Arguments are separated by blanks; '...' quotes literally, "..." quotes
// with \" and \\ as escapes, and a backslash outside quotes takes the next character
// literally.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/FloppyDevice.h"

namespace veldin {

using CommandStep = std::vector<std::string>;

struct FormatCommand {
    std::vector<CommandStep> steps;

    friend bool operator==(const FormatCommand&, const FormatCommand&) = default;
};

inline constexpr std::string_view kDevicePlaceholder = "{device}";

// Nothing for an empty command line, an empty step, an unclosed quote or a backslash at
// the very end.
std::optional<FormatCommand> ParseFormatCommand(std::string_view text);

// The formatter of each kind of drive, as a command line:
//   controller drive: superformat {device} dd            (fdutils)
//   USB drive:        ufiformat -f 720 {device} && mformat -f 720 -v VELDIN -i {device} ::
//   image file:       mformat -f 720 -v VELDIN -i {device} ::   (mtools)
std::string_view DefaultFormatCommandLine(DriveKind kind);
FormatCommand DefaultFormatCommand(DriveKind kind);

// The steps with every "{device}" replaced by `device`.
std::vector<CommandStep> ForDevice(const FormatCommand& command, std::string_view device);

} // namespace veldin
