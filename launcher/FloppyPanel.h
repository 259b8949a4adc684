#pragma once
// What the launcher's panel shows during a floppy transfer, as text: the summary of a
// disk (with its memo in a box of code page 437 line-drawing bytes), the counter of
// cylinders still to do, the formatting text, and the F-key caption tables of each
// stage. The panel only draws these texts; the panel font is code page 437, and
// `Cp437ToUtf8` gives the same text for anything that draws Unicode.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/DiskMemo.h"

namespace veldin {

inline constexpr int kSectorsPerCylinder = 18;
inline constexpr int kCylinders = 80;
inline constexpr std::size_t kSummaryLabelWidth = 26;

// The panel lines are separated by "\r\n". Lines 1 and 2 are "Sampler: " and "Type: "
// with the names, each padded with blanks to 26 characters; `counter` (two digits) ends
// the first line when given. Then by memo kind:
//   sound memo: a box, 16 characters wide, around the name and the four memo lines
//       DA C4 x14 BF  /  B3 20 <12 characters> 20 B3  (5 lines)  /  C0 C4 x14 D9
//   line memo: the three system lines, each indented by 7 blanks;
//   no memo: one line of 16 blanks where the top border would be.
std::string SummaryText(const DiskMemo& memo, std::optional<int> counter = std::nullopt);

// The panel acts on a progress report only at the start of a cylinder (every 18th
// sector): the counter is then the number of cylinders still to do, 80 - finished / 18
// (80 when the first sector is done, 01 when sector 1422 is).
std::optional<int> CylindersLeft(std::uint32_t finished);
std::string TwoDigits(int value); // "%.2d"

// "Formatting floppy, please wait..." with three line breaks before it; with a progress
// report from the formatter, followed by the two-digit value 79 - count.
std::string FormattingText(std::optional<std::uint32_t> count = std::nullopt);

// Code page 437 to UTF-8. Control bytes (below 20h and 7Fh) pass unchanged, so the
// line breaks stay line breaks.
std::string Cp437ToUtf8(std::string_view cp437);

enum class FloppyStage : std::uint8_t { Menu, ReadPrepared, WritePrepared, FormatPrepared, Running };

// The five captions of a stage. A table that lists itself on the panel shows
// "F1:" + its listing text per key, one per line, "\r\n" after each (also for keys
// without one); the other tables leave the panel text alone.
struct CaptionTable {
    bool listOnPanel = false;
    std::array<std::string_view, 5> captions; // empty: no caption
    std::array<std::string_view, 5> listing;
};

const CaptionTable& CaptionsFor(FloppyStage stage);
std::string CaptionListing(const CaptionTable& table);

} // namespace veldin
