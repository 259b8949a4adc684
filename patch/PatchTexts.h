#pragma once
// Fixed texts of the Patch Editor's logic, each defined once. Line breaks are part of
// the texts as the user has always seen them ("\n\r" included); "Tresh" is spelled as
// the samplers' users know it.

#include <string_view>

#include "core/Messages.h"
#include "tone/ToneTexts.h"

namespace veldin::patch::text {

// Tree, panel and status bar.
inline constexpr std::string_view kRootLabel = "Patches";
inline constexpr std::string_view kPatchNumber = "Patch Number: ";
inline constexpr std::string_view kKeyMode = "Key Mode: ";
inline constexpr std::string_view kKeyAssign = "Key Assign: ";
inline constexpr std::string_view kBenderRange = "B.Range: ";
inline constexpr std::string_view kOut = veldin::tone::text::kOut;
inline constexpr std::string_view kUniDetune = "Uni-Detune: ";
inline constexpr std::string_view kVswThreshold = "V-SW Tresh: ";
inline constexpr std::string_view kVmixRatio = "V-Mix Ratio: ";
inline constexpr std::string_view kAtAssign = "AT Assign: ";
inline constexpr std::string_view kAtSense = "AT Sense: ";
inline constexpr std::string_view kVolume = veldin::tone::text::kVolume;
inline constexpr const char* kFreePositionsFormat = "Patch positions free: %d";
// Our own: a disk kind without a patch area (song and utility disks).
inline constexpr std::string_view kNoPatchArea = "This disk holds no patches.";

// Patch changes.
inline constexpr std::string_view kReallyDelete = "Do you really want to delete this patch?";
inline constexpr std::string_view kNotEditable = "This node cannot be edited!";
inline constexpr std::string_view kOnlyPatches = "Only Patches can be edited!";
inline constexpr std::string_view kCantChange = "Can not change Patch details!";
inline constexpr std::string_view kNoMemory = veldin::text::kNoMemory;

// Patch files.
inline constexpr std::string_view kMagic = "RPAT";
inline constexpr std::string_view kNoName = veldin::text::kNoName;
inline constexpr std::string_view kSaveTitle = veldin::text::kSaveTitle;
inline constexpr std::string_view kLoadTitle = veldin::text::kLoadTitle;
inline constexpr std::string_view kFilterText = "Roland W30 Patch (*.pat)";
inline constexpr std::string_view kFilterPattern = "*.pat";
inline constexpr std::string_view kDialogDefaultExtension = "ptc";
// Saved files get the extension the filter shows; both are accepted when loading.
inline constexpr std::string_view kSavedExtension = ".pat";
inline constexpr std::string_view kOlderExtension = ".ptc";
inline constexpr std::string_view kCantOpenFile = veldin::text::kCantOpenSpecifiedFile;
inline constexpr std::string_view kNoMemoryForFile = veldin::text::kNoMemoryForFile;
inline constexpr std::string_view kNotRpat = "This is not RPAT (VELDIN Roland Patch) file!";
inline constexpr std::string_view kModuleFileTitle = "Brisko.dll";
// Our own: a file cut short, or one whose tone count cannot fit, is refused whole.
inline constexpr std::string_view kPatchFileShort = "The patch file is shorter than its header says; it is damaged!";
// Our own: Load Patch on an image whose patch positions are all in use.
inline constexpr std::string_view kNoFreePatchPosition = "There is no free patch position on this diskimage!";

// Map missing tone dialog (dialog 1000).
inline constexpr std::string_view kMapTitle = "Map missing tone";
inline constexpr std::string_view kMapMessageBefore = "Tone '";
inline constexpr std::string_view kMapMessageAfter =
    "' found in this patch is not on diskimage.\n\r\n\rTo replace the missing tone, doubleclick a tone from left "
    "panel and press 'Yes' button.\n\r\n\rTo keep current invalid mapping press 'No' button. (Note: This can result "
    "in improper or not at all playing patch)\n\r\n\rIf you wish to cancel loading of this patch and import missing "
    "tone(s) first, press 'Cancel' and close diskimage. Then use Tone Editor to load missing tones.";
inline constexpr std::string_view kBankGroup = "Bank";
inline constexpr std::string_view kRam = "RAM";
inline constexpr std::string_view kRom = "ROM";
inline constexpr std::string_view kYes = "&Yes";
inline constexpr std::string_view kNo = "&No";
inline constexpr std::string_view kCancel = "&Cancel";

} // namespace veldin::patch::text
