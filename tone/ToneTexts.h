#pragma once
// Fixed texts of the Tone Editor's logic, each defined once. Line breaks are part of
// the texts as the user has always seen them ("\n\r" included); "Lenght" and
// "Fordward" are spelled as the samplers' users know them.

#include <string_view>

#include "core/Messages.h"

namespace veldin::tone::text {

// Tree and panel.
inline constexpr std::string_view kGroupRom = "ROM";
inline constexpr std::string_view kGroupRam = "RAM";
inline constexpr std::string_view kGroupA = "A";
inline constexpr std::string_view kGroupB = "B";
inline constexpr std::string_view kToneNumber = "Tone Number: ";
inline constexpr std::string_view kSubtoneOf = "Subtone of ";
inline constexpr std::string_view kOriginal = "Original **";
inline constexpr const char* kLengthFormat = "Lenght: %d.%d s";
inline constexpr std::string_view kKey = "Key: ";
inline constexpr std::string_view kOut = "Out: ";
inline constexpr const char* kFrequencyFormat = "Frequency: %dHz";
inline constexpr std::string_view kStart = "Start: ";
inline constexpr std::string_view kLoop = "Loop: ";
inline constexpr std::string_view kEnd = "End: ";
inline constexpr std::string_view kLoopmode = "Loopmode: ";
inline constexpr std::string_view kVolume = "Volume: ";
inline constexpr std::string_view kPosition = "Position: ";
inline constexpr std::string_view kEmptyLine = " ";
inline constexpr const char* kMemoryFormat = "%d positions & %d bytes free";

inline constexpr std::string_view kNoToneAreas = "This disk holds no tones.";

// Tone files.
inline constexpr std::string_view kNoName = veldin::text::kNoName;
inline constexpr std::string_view kCantOpenFile = veldin::text::kCantOpenSpecifiedFile;
inline constexpr std::string_view kNoMemoryForFile = veldin::text::kNoMemoryForFile;
inline constexpr std::string_view kNotRton = "This is not RTON file!";
inline constexpr std::string_view kToneFileShort = "The tone file is shorter than its header says; it is damaged!";
inline constexpr std::string_view kWaveOutsideBank =
    "The tone claims wave segments past the end of its bank; its wave cannot be read!";
inline constexpr std::string_view kToneFileNoTones = "The tone file holds no tone record; it is damaged!";

// Tone changes.
inline constexpr std::string_view kImportHere = "Sorry you can't import directly here, Please select valid node!";
inline constexpr std::string_view kSubtoneIntoRam =
    "Sorry you can't import SubTone directly in to RAM!\n\rPlease select the parent tone first.";
inline constexpr std::string_view kSubtoneIntoSubtone = "Sorry you can't import SubTone into SubTone!";
inline constexpr std::string_view kNoFreePositions = "Not enough free positions for subtones!";
inline constexpr std::string_view kNoFreeMemory = "There is not enough free memory in the bank to store this tone!";
inline constexpr std::string_view kCantChange = "Can not change Tone details!";
inline constexpr std::string_view kNoMemory = veldin::text::kNoMemory;
inline constexpr std::string_view kReallyDelete = "Do you really want to delete this tone?";

// Clipboard and drops.
inline constexpr std::string_view kClipboardDamaged = "The tone on the clipboard is damaged; nothing was pasted!";
inline constexpr std::string_view kUnknownFileKind =
    "Only wave files (*.wav) and Roland tones (*.ton, *.ston) can be imported here!";

// WAV import.
inline constexpr std::string_view kLogFileName = "wave2rton.txt";
inline constexpr std::string_view kTemplateFileName = "default.ston";
inline constexpr std::string_view kNotWave = "This is not WAVE file!";
inline constexpr std::string_view kNoTemplate = "Please check your installation. Couldn't load default.ston!";
inline constexpr std::string_view kBadTemplate =
    "Please check your installation. Definition file 'default.ston' is corrupted!";
inline constexpr std::string_view kNotPcm = "Wave is not in PCM format!";
inline constexpr std::string_view kTooManyChannels = "Waves with more as 2 channels (mono or stereo) are not supported!";
inline constexpr std::string_view kStereoQuestion =
    "This is a stereo wave file.\n\r\n\rPress YES to import only left channel\n\ror NO to import both as Tone and SubTone.";
// The stereo question answered Cancel: a failure without text, shown to nobody.
inline constexpr std::string_view kImportCancelled = "";
inline constexpr std::string_view kWaveChunkPastEnd = "The wave file is damaged: a chunk runs past the end of the file!";
inline constexpr std::string_view kWaveNoFormat = "The wave file has no valid format chunk before its data!";
inline constexpr std::string_view kWaveNoData = "The wave file holds no sample data!";
inline constexpr std::string_view kWaveSampleWidth = "Only waves of 8, 16, 24 or 32 bits per sample can be imported!";
inline constexpr std::string_view kWaveTooLong = "The wave is too long for a tone (more than 255 segments)!";

// Log lines.
inline constexpr std::string_view kLogTitle = "========== Wave 2 RTON Conversion Log =========";

// WAV export.
inline constexpr std::string_view kCantOpenTone = "Couldn't open specified tone/subtone!";
inline constexpr std::string_view kEndBeforeStart = "The subtone ends before it starts; it has no samples to export!";
inline constexpr std::string_view kRomHasNoWave = "Tones of the ROM area have no wave in the image.";
inline constexpr std::string_view kRegionSuffix = "_rgn";
inline constexpr std::string_view kRegionEnd = "Region End";
inline constexpr const char* kToneLabelFormat = "Tone%d";
inline constexpr const char* kPointsOutside = "Tone %s points outside its wave of %u samples!";

} // namespace veldin::tone::text
