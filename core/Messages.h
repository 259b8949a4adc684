#pragma once
// Fixed texts of the disk image core, each defined once. Line breaks are part of the
// texts as the user has always seen them ("\n\r" included).

#include <string_view>

namespace veldin::text {

// Titles of the message boxes.
inline constexpr std::string_view kTitleLauncher = "VELDIN";
inline constexpr std::string_view kTitleToneEditor = "Tone Editor";
inline constexpr std::string_view kTitlePatchEditor = "Patch Editor";
inline constexpr std::string_view kTitleMidiEditor = "MIDI Editor";
inline constexpr std::string_view kTitleDiscEditor = "Disc Editor";

// Disk image documents.
inline constexpr std::string_view kNoDocument = "Failed to get pointer to structure!";
inline constexpr std::string_view kCantOpenFile = "Couldn't open file!";
inline constexpr std::string_view kInvalidSize =
    "Couldn't continue, invalid size of diskimage!\n\r (Possibly file is not a Roland diskimage)";
inline constexpr std::string_view kNotRolandImage =
    "File is not Roland S50/S330/S550/W30 diskimage or is corrupted.";
inline constexpr std::string_view kNoTemplate = "Couldn't find Roland diskimage definitions!";
inline constexpr std::string_view kCantCreateFile = "Couldn't create new file!";

// Floppy sector access: the range checks of the sector loop and the Sector Invalid
// question ("Invalid Sector - " is followed by the sector number in the dialog title).
inline constexpr std::string_view kBadStartSector = "IO: Not valid starting sector!";
inline constexpr std::string_view kBadLength = "IO: Not valid lenght!";
inline constexpr std::string_view kSectorInvalidTitle = "Sector Invalid";
inline constexpr std::string_view kInvalidSectorPrefix = "Invalid Sector - ";
inline constexpr std::string_view kRetry = "Retry";
inline constexpr std::string_view kIgnore = "Ignore";
inline constexpr std::string_view kAbortOperation = "Abort operation";
inline constexpr std::string_view kAutoIgnore = "Automatically ignore bad sectors";

// Floppy drives.
inline constexpr std::string_view kCantOpenDrive = "Couldn't open floppy drive!";
inline constexpr std::string_view kNoFloppy = "No floppy in drive!";
inline constexpr std::string_view kNotDoubleDensity = "Floppy is not formatted as DD(Double Density/720kB)!";
// Undo store.
inline constexpr std::string_view kCantCreateWorkingCopy = "Couldn't create temporary diskimage file for Undo!";
inline constexpr std::string_view kCantLockOriginal = "Couldn't lock original file!";
inline constexpr std::string_view kCantCreateSession = "Couldn't create temporary session file for Undo!";
inline constexpr std::string_view kCantCreateStep = "Couldn't create undo step!";
inline constexpr std::string_view kCantOpenStep = "Couldn't open undo step!";
inline constexpr std::string_view kNoMemory = "Couldn't allocate memory!";
// Our own: the search for a free temporary directory name gives up after a bounded
// number of names, or at once when the temporary folder cannot be written.
inline constexpr std::string_view kCantCreateTempDirectory = "Couldn't create temporary directory for Undo!";
// Our own: Save failed and the user's file was left as it was.
inline constexpr std::string_view kCantSaveFile = "Couldn't save file!";
// Follows the full path of the document in the question asked by Close.
inline constexpr std::string_view kNotSavedQuestion = " is not saved, do you want to save this file?";

// Shared by the editors' file commands.
inline constexpr std::string_view kCantOpenSpecifiedFile = "Couldn't open specified file!";
inline constexpr std::string_view kNoMemoryForFile =
    "Couldn't allocate enough memory,\n\rclose some applications and try again!";
inline constexpr std::string_view kNoName = "NoName"; // proposed file name when a name is empty
inline constexpr std::string_view kLoadTitle = "Load...";
inline constexpr std::string_view kSaveTitle = "Save...";

// Settings.
inline constexpr std::string_view kReinstall = "Serious error has occured. Please reinstall VELDIN!";
inline constexpr std::string_view kCantReadKey = "\n\rCouldn't read this key from the registry!";
inline constexpr std::string_view kCantWriteKey = "\n\rCouldn't write this key into the registry!";
inline constexpr std::string_view kCantStartHelp =
    "Couldn't start Help! Please check if .chm file is present in VELDIN working directory.";
inline constexpr std::string_view kSelectDirectory = "Please select directory";

} // namespace veldin::text
