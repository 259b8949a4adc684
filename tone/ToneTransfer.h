#pragma once
// Tones moved without file dialogs: Copy, Cut and Paste through the clipboard, files
// dropped onto the tree, a tone dragged out of it as a WAV file.
//
// The clipboard carries a tone under kToneMimeType as exactly the bytes Save Tone writes
// with its first filter: a ".ton" (header, the original and its subtones, the wave) for
// an original of the tone area, a ".ston" (header and one record, 134 bytes) otherwise.
// A file of the same bytes goes along as a URL for file managers.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/UserInteraction.h"
#include "tone/ToneEditor.h"
#include "tone/WaveExport.h"
#include "tone/WaveImport.h"

namespace veldin::tone {

inline constexpr std::string_view kToneMimeType = "application/x-veldin-tone";

// One file to hand over: its name (no folder) and its bytes.
struct NamedBytes {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

// Copy: the selected tone as Save Tone would write it, named as Save Tone proposes.
Result<NamedBytes> CopyTone(const ToneDocument& doc, const ToneAreas& areas, ToneRef ref);
// Cut: the copy, then the tone deleted without a question (the clipboard holds it and
// the delete is one undo step). Nothing is deleted when the copy fails.
Result<NamedBytes> CutSelected(ToneDocument& doc, ToneEditor& editor);
// The clipboard's bytes, taken only when Copy could have written them: "RTON", a size of
// exactly 6 + T x 128 + S x 18,432, one record without wave or records that match
// their wave. Anything else is damaged and refused with one fixed text.
Result<ToneFile> ClipboardToneFile(std::span<const std::uint8_t> bytes);
// Paste: the clipboard's tone imported onto the target as Load Tone imports a file.
Status PasteTone(ToneEditor& editor, std::span<const std::uint8_t> bytes, const ImportTarget& target);

// What Copy, Cut and Paste can act on: a selected tone; while the clipboard offers a tone
// or files, a bank or a tone that is no subtone (a subtone takes no import at all).
bool CanCopy(const ToneSelection& sel);
bool CanPaste(const ImportTarget& target, bool clipboardOffers);

// Files dropped onto the tree (or pasted as a file list), by the ending of their names.
enum class FileKind { Wave, Tone, DiskImage, Other };
FileKind KindOfFile(std::string_view name);
// The tree takes a drop whose files are all WAV or tone files; a drop of disk images
// alone is the frame's (it opens them). Anything else is refused as a whole, before
// anything is imported.
enum class DropUse { Import, OpenImages, Refuse };
DropUse UseOfDrop(std::span<const std::string> names);

// One dropped or pasted file imported as Load Wave or Load Tone would import it. A
// Cancel of the stereo question fails with text::kImportCancelled (shown to nobody).
Status ImportFile(ToneEditor& editor, std::span<const std::uint8_t> bytes, std::string_view name,
                  const ImportTarget& target, const WaveImportOptions& options, UserInteraction& ui);

// Save Wave's files for a tone of the tone area: the WAV (named as Save Wave proposes)
// and, with "Generate MRK files for WaveLab", its marker file.
struct WaveFiles {
    NamedBytes wav;
    std::optional<NamedBytes> mrk;
};
Result<WaveFiles> ToneWaveFiles(const ToneDocument& doc, const ToneAreas& areas, ToneRef ref,
                                const WaveExportOptions& options);

} // namespace veldin::tone
