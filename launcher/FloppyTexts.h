#pragma once
// Fixed texts of the floppy transfer, each defined once. The panel texts keep the line
// breaks the launcher's panel has always drawn ("\n\r" included).

#include <string_view>

#include "core/Messages.h"

namespace veldin::text {

// Failures of a transfer (message boxes titled "VELDIN").
inline constexpr std::string_view kCantAllocate =
    "Can't allocate enough memory,\n\rclose some applications and try again!";
inline constexpr std::string_view kCantCreateOutput = "Can't create output file to save diskimage!";
inline constexpr std::string_view kCantOpenSource = "Can't open source file!";
inline constexpr std::string_view kInvalidSourceSize = "Couldn't continue, invalid size of diskimage!";
inline constexpr std::string_view kFloppyNotRoland = "Couldn't continue, floppy is not Roland S50/S330/S550/W30!";

// The formatter could not be run (not installed, or its command line is not valid), or
// it ended with a failure.
inline constexpr std::string_view kFormatterNotStarted = "Couldn't start floppy formatter!";
inline constexpr std::string_view kFormatterFailed = "Floppy formatter failed!";

// Writing an image over a Roland disk of another kind: asked once more (Yes / No).
inline constexpr std::string_view kOverwriteOtherKind = "The floppy holds a Roland disk of another kind:\n";
inline constexpr std::string_view kOverwriteOtherKindEnd = "\nOverwrite it with this diskimage?";

// Panel texts.
inline constexpr std::string_view kAccessingDrive = "\n\r\n\r\n\rAccessing floppy drive...";
inline constexpr std::string_view kFormattingFloppy = "\n\r\n\r\n\rFormatting floppy, please wait...";
inline constexpr std::string_view kSamplerLabel = "Sampler: ";
inline constexpr std::string_view kTypeLabel = "Type: ";

// The name of a requested image whose disk has no title.
inline constexpr std::string_view kUnknownImageName = "Unknown";

// F-key captions and what the floppy menu lists for them.
inline constexpr std::string_view kCaptionRead = "Read";
inline constexpr std::string_view kCaptionWrite = "Write";
inline constexpr std::string_view kCaptionFormat = "Format";
inline constexpr std::string_view kCaptionExit = "Exit";
inline constexpr std::string_view kCaptionCancel = "Cancel";
inline constexpr std::string_view kCaptionOverwrite = "Ovrwrite";
inline constexpr std::string_view kCaptionStop = "Stop";
inline constexpr std::string_view kListRead = "Read floppy to diskimage file";
inline constexpr std::string_view kListWrite = "Write diskimage file to floppy";
inline constexpr std::string_view kListFormat = "Format floppy";

// File dialogs of the transfer.
inline constexpr std::string_view kSaveDialogTitle = kSaveTitle;
inline constexpr std::string_view kLoadDialogTitle = kLoadTitle;
inline constexpr std::string_view kImageFilterName = "Roland diskimage (*.s*,*.out,*.w30)";
inline constexpr std::string_view kImageFilterPattern = "*.s*;*.out;*.w30";
inline constexpr std::string_view kFilterW30 = "Roland W30 (*.sdk)";
inline constexpr std::string_view kFilterS50 = "Roland S-50 (*.s50)";
inline constexpr std::string_view kFilterS330 = "Roland S330 (*.s33)";
inline constexpr std::string_view kFilterS550 = "Roland S550 (*.s55)";
inline constexpr std::string_view kFilterOs = "Roland OS (*.sys)";
inline constexpr std::string_view kFilterW30Song = "Roland W30 Song (*.sng)";

} // namespace veldin::text
