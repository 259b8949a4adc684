#pragma once
// The disk memo: the disk's name and note lines, and a one-line title for it.
//
// Sound disks (memo sector 134), 60 bytes from offset 51 (0x33):
//   51..62   name, 12 characters
//   63..110  four lines of 12 characters, interleaved: character i of line L at 63 + 4i + L
// Line memos ("System MEMO"): memo sector 0 holds three 31-byte lines at offsets 32, 64
// and 96 (byte 31 of each 32-byte slot belongs to the sampler); memo sector 7 is the root
// directory of a W-30 song disk and its first line is the 11-byte volume label.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "core/DiskDefinition.h"

namespace veldin {

inline constexpr int kMemoNameOffset = 51;
inline constexpr int kMemoLinesOffset = 63;
inline constexpr int kMemoNameLength = 12;
inline constexpr int kMemoLineLength = 12;
inline constexpr int kMemoLineCount = 4;
inline constexpr int kSystemLineLength = 31;
inline constexpr int kSystemLineCount = 3;
inline constexpr int kMemoTitleMax = 60;

struct DiskMemo {
    enum Kind : int { None = -1, Sound = 0, Lines = 1 };
    int kind = None;
    std::string samplerName;
    std::string kindName;
    std::string name;                                   // kind 0
    std::array<std::string, kMemoLineCount> memoLines;  // kind 0
    std::array<std::string, kSystemLineCount> systemLines; // kind 1
    std::string title;

    friend bool operator==(const DiskMemo&, const DiskMemo&) = default;
};

// Decodes the memo sector of `row`. For a sound memo the 60 bytes of name and lines are
// first cleaned in the caller's buffer: every byte below 20h or above 7Eh becomes a blank.
DiskMemo DecodeMemo(const DiskDefinition& row, std::span<std::uint8_t, 512> sector);

// Writes back only the bytes that decoding read. Texts are blank-padded to their field
// and characters the sampler cannot show become blanks. Returns false, leaving the
// sector untouched, when the disk has no writable memo (no memo, or the volume label
// of a song disk, which is only read).
bool EncodeMemo(const DiskMemo& memo, const DiskDefinition& row, std::span<std::uint8_t, 512> sector);

// Reduces every run of blanks to one blank and removes leading and trailing blanks and tabs.
std::string CleanTitle(std::string_view text);

// Centres a text in a field of `width` characters with blanks, as the memo editor does
// (a text longer than the field is cut).
std::string CentreInField(std::string_view text, std::size_t width);

} // namespace veldin
