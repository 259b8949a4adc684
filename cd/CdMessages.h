#pragma once
// Fixed texts of the Disc Editor, each defined once. The title of its message boxes is
// text::kTitleDiscEditor (core/Messages.h).

#include <string_view>

namespace veldin::text {

inline constexpr std::string_view kNoDriveChosen =
    "Please first select source CD-ROM drive for reading. Then click on button\n\rApply. If there are no "
    "drives listed you will be not able to use CD Editor!";
inline constexpr std::string_view kCantOpenCdDrive = "Can't open the CD-ROM drive!";
// printf format: the platform's error number of a failed sector read.
inline constexpr std::string_view kReadErrorFormat = "Errorcode: %d\r\n\r\n";
inline constexpr std::string_view kNotRolandCd = "This is not Roland CD !!!";
inline constexpr std::string_view kCantCopyTemplate = "Can't copy temporary file!";

// Damaged discs: tables that point outside themselves or outside the disc, and sound
// areas that cannot make a disk image. Such values are refused, never followed.
inline constexpr std::string_view kCdTablesDamaged = "The tables of this Roland CD are damaged!";
inline constexpr std::string_view kSoundAreaSize =
    "This sound area can't be exported: a disk image takes 18 to 1746 units of it!";
inline constexpr std::string_view kSoundAreaOutside = "This sound area lies outside the disc!";

// The end of a batch export: "<n> disk images written to\n<folder>", or "<n> of <m> ...",
// after "Cancelled: " when the person stopped it; then the sounds not written.
inline constexpr std::string_view kBatchCancelled = "Cancelled: ";
inline constexpr std::string_view kBatchImage = "disk image";
inline constexpr std::string_view kBatchImages = "disk images";
inline constexpr std::string_view kBatchWrittenTo = "written to";
inline constexpr std::string_view kBatchNotWritten = "Not written:";
inline constexpr std::string_view kBatchMore = "... and %d more";

// Source kinds of the main dialog: a drive, or an image file of a disc.
inline constexpr std::string_view kSourceCdRom = "CD-ROM";
inline constexpr std::string_view kSourceImageFile = "Image file";

} // namespace veldin::text
