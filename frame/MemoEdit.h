#pragma once
// The memo editor's logic, shared by the editor modules: which fields a disk's memo
// has, and the one undo step (code 530) that writes what the user typed back into the
// memo sector, each field centred with blanks.

#include <array>
#include <string>

#include "core/Document.h"
#include "core/DiskMemo.h"

namespace veldin::frame {

inline constexpr std::uint32_t kMemoCommand = 530;

// The fields of the dialog: a system disk has the three system lines (31 characters,
// what the sector holds), any other disk its name and four lines (12 characters).
struct MemoFields {
    bool system = false;
    std::array<std::string, 1 + kMemoLineCount> memo;   // name, lines 1-4
    std::array<std::string, kSystemLineCount> lines;    // system lines 1-3
};

// What the dialog shows on opening: the memo as the working copy holds it now.
MemoFields CurrentMemo(const Document& doc);

inline constexpr std::string_view kNoMemoText = "This type of diskimage doesn't contain Memo";

// The memo box text: a sound-disk memo is its name and four lines, each followed by one
// blank; a line memo is its first system line; other disks say they have none.
std::string MemoBoxText(const Document& doc);

// Records the step that writes `typed` (each field centred in its width) into the memo
// sector; a disk without a memo that can be written is refused and left as it was.
Status ApplyMemo(Document& doc, const MemoFields& typed);

} // namespace veldin::frame
