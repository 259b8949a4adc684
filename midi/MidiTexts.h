#pragma once
// Fixed texts of the MIDI Editor's song logic, each defined once. The line breaks are
// part of the texts as the user has always seen them ("\n\r" and "\r\n" included).

#include <string_view>

#include "core/Messages.h"

namespace veldin::text {

// The song volume.
// "Couldn't allocate memory!" is the core's kNoMemory.
inline constexpr std::string_view kNoMemoryCloseApplications = kNoMemoryForFile;
inline constexpr std::string_view kCantReadFile = "Couldn't read the file!";
inline constexpr std::string_view kFatCorrupted =
    "Couldn't continue! FAT is corrupted or not present on this diskimage!";
inline constexpr std::string_view kFatStartInside =
    "Error in the FAT:\r\nStart of FAT table can't occur inside the file!";
inline constexpr std::string_view kFatEmptyInside =
    "Error in the FAT:\r\nEmpty cluster can't occur inside the file!";
inline constexpr std::string_view kFatNoNextCluster =
    "Error in the FAT:\r\nCouldn't find next logical cluster of file!";
inline constexpr std::string_view kNoFreeSpace = "Not enough free space to store the song!";
inline constexpr std::string_view kNotASong = "File is not Roland W30 Song file or is corrupted!";
inline constexpr std::string_view kCantDelete = "Couldn't delete specified file!";
inline constexpr std::string_view kCantRecord = "Couldn't create undo and save the operation!";
inline constexpr std::string_view kFreeFigures = "%d positions & %d bytes free";
inline constexpr std::string_view kSongFileName = "SONG%.2d  DAT";
inline constexpr std::string_view kSongSizeColumn = "%d b";
inline constexpr std::string_view kFat12Log = "fat12log.txt";

// Song to MIDI.
inline constexpr std::string_view kTitleFennet = "Fennet.dll";
inline constexpr std::string_view kUnknownTrackType = "Unknown Track type!!!";
inline constexpr std::string_view kUnknownMidiEvent = "Unknown MIDI event found. Stopping the conversion!";
inline constexpr std::string_view kConvertedWith = "Converted with VELDIN ";
inline constexpr std::string_view kMidiEditorName = kTitleMidiEditor;
inline constexpr std::string_view kSong2MidiLog = "ConversionLog-Song2MIDI.txt";
inline constexpr std::string_view kNoSong = "No pointer to song provided!";

// MIDI to song.
inline constexpr std::string_view kNotMidi = "This is not an MIDI file, or it is corrupted!";
inline constexpr std::string_view kNotFormat1 = "This is not an MIDI Format 1 file!";
inline constexpr std::string_view kBadResolution = "MIDI file resolution is not in proper range (48 - 960)!";
inline constexpr std::string_view kOddTimeSignature =
    "Cannot convert this MIDI file because it contains Time Signature with an odd\n\r"
    "nominator and denominator=32. Roland W30 is supporting just Time Signatures\n\r"
    "with denominator = 2,4,8 and 16. VELDIN can fix this, except the nominator\n\r"
    "is an odd number!";
inline constexpr std::string_view kMidiParseError = "Error occured while parsing MIDI file!";
inline constexpr std::string_view kCantOpenSpecified = kCantOpenSpecifiedFile;
inline constexpr std::string_view kNoEndNote = "Did not find end note setting duration to quarter note!\n\r";
inline constexpr std::string_view kMidi2SongLog = "midi2song.txt";
inline constexpr std::string_view kStatusInitializing = "Initializing...";
inline constexpr std::string_view kStatusPassTrack = "Pass %d Track %d";
inline constexpr std::string_view kStatusConverted = "Successfully converted !";
inline constexpr std::string_view kLogBanner = "VELDIN v2 Conversion Log\n\r";
inline constexpr std::string_view kLogStarted = "=====================\n\rConversion started...";
inline constexpr std::string_view kLogFinished = "=====================\n\rConversion finished !";

} // namespace veldin::text
