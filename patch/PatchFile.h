#pragma once
// Patch files ("RPAT") carry one patch from one image to another, with a fingerprint of
// every tone it plays so that the target's key maps can be renumbered.
//
//   0   "RPAT"
//   4   N, number of tone entries (32-bit little-endian)
//   8   the 256-byte patch record as stored on the source image
// 264   N tone entries of 20 bytes: the tone number as used in the key maps (32-bit
//       little-endian), then bytes 0-15 of that tone's record on the source image
//       (name[8] output sourceTone isSubtone rateShift origKey waveBank segmentTop
//       segmentCount)

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/Result.h"
#include "core/UserInteraction.h"
#include "patch/PatchAreas.h"

namespace veldin::patch {

inline constexpr std::size_t kPatchFileHead = 264;
inline constexpr std::size_t kToneEntrySize = 20;

struct ToneEntry {
    std::uint32_t number = 0;
    std::array<std::uint8_t, 16> fingerprint{};

    std::string displayName() const; // zero bytes as blanks
    std::uint8_t waveBank() const { return fingerprint[13]; }
};

struct PatchFile {
    PatchRecord record;
    std::vector<ToneEntry> entries;
};

// The entries of `record` in the order of its tones, fingerprints taken from `areas`; a
// number that names no record present gets a zero fingerprint.
PatchFile MakePatchFile(const PatchRecord& record, const PatchAreas& areas);
std::vector<std::uint8_t> PatchFileBytes(const PatchFile& file);
// "This is not RPAT ..." without the magic; a file shorter than 264 + N x 20 bytes, or
// with an N that cannot fit, is refused whole.
Result<PatchFile> ParsePatchFile(std::span<const std::uint8_t> bytes);

// The fingerprint match: equal names; both wave banks below 2 or both 2 and above;
// equal segmentTop, segmentCount, output, isSubtone and origKey; equal rateShift unless
// the target's is FFh (it then plays at any rate). Free positions never match.
bool Matches(const ToneEntry& entry, const tone::ToneRecord& target);
// The target number of the first matching record, searched in the tone area for wave
// banks 0 and 1, in the second tone area otherwise.
std::optional<std::uint8_t> FindTone(const ToneEntry& entry, const PatchAreas& areas);

// The Map missing tone dialog (dialog 1000) as the logic fills it.
struct ListedTone {
    std::string name;
    int position = 0;
    std::uint8_t number = 0; // position, plus 32 in the "ROM" list
};

struct MissingToneDialog {
    std::uint32_t missingNumber = 0; // the tone's number in the file's key maps
    std::string missingName;
    std::string message;
    std::vector<ListedTone> ram; // records of the tone area whose segmentCount is not 0
    std::vector<ListedTone> rom; // the same of the second tone area
    bool romShown = false;
    // The first listed tone with exactly the missing name: it is selected and "&Yes" is
    // enabled. None: the "RAM" list is shown with "&Yes" disabled.
    std::optional<std::size_t> preselected;
};

MissingToneDialog MakeMissingToneDialog(const ToneEntry& entry, const PatchAreas& areas);

// Yes gives the target number, No keeps the file's number, Cancel abandons the load.
struct MapChoice {
    Answer answer = Answer::Cancel;
    std::uint8_t number = 0;
};

// The dialog's controls while it is open: which list shows, which tone is selected and
// whether "&Yes" can be pressed. Yes is enabled by the preselection or a double click
// only; switching the bank refills the list and disables it again.
class MissingToneState {
public:
    explicit MissingToneState(const MissingToneDialog& dialog);

    const std::vector<ListedTone>& list() const { return romShown_ ? dialog_.rom : dialog_.ram; }
    bool romShown() const { return romShown_; }
    std::optional<std::size_t> selected() const { return selected_; }
    bool yesEnabled() const { return yesEnabled_; }

    void showBank(bool rom);
    // A single click only moves the selection.
    void select(std::size_t index);
    void doubleClick(std::size_t index);
    // "&Yes": the selected tone's number (position, plus 32 in the "ROM" list); none
    // while Yes is disabled.
    std::optional<MapChoice> yes() const;

private:
    MissingToneDialog dialog_;
    bool romShown_ = false;
    std::optional<std::size_t> selected_;
    bool yesEnabled_ = false;
};

class ToneMapper {
public:
    virtual ~ToneMapper() = default;
    virtual MapChoice mapMissingTone(const MissingToneDialog& dialog) = 0;
};

// Asks the dialog's message as a Yes / No / Cancel question; Yes maps to the preselected
// tone. With nothing preselected "&Yes" is disabled, so a Yes then abandons the load
// rather than guess.
class AskingToneMapper final : public ToneMapper {
public:
    explicit AskingToneMapper(UserInteraction& ui) : ui_(ui) {}
    MapChoice mapMissingTone(const MissingToneDialog& dialog) override;

private:
    UserInteraction& ui_;
};

// How a tone of a patch file is named to the user: its name, or for a tone that sat on a
// free position of the source (an empty fingerprint) its number there, "ram:N" or
// "rom:N", so that it can still be told apart and mapped.
std::string EntryLabel(std::uint32_t number, std::string_view displayName);

// The entries that no record of the target matches (to be mapped, kept or refused).
std::vector<ToneEntry> MissingTones(const PatchFile& file, const PatchAreas& areas);

// The record with both key maps renumbered in one pass: every byte below 128 that equals
// a file tone number with an entry becomes that entry's target number; each byte is
// translated once, by the number it held in the file. None when the user cancelled.
std::optional<PatchRecord> TranslatePatch(const PatchFile& file, const PatchAreas& areas, ToneMapper& mapper);

// The name the save dialog proposes: the 12 name characters with : \ / , ? * < " |
// replaced by "_", "NoName" when empty, with the extension ".pat".
std::string ProposedFileName(const PatchRecord& record);
// A saved patch file always ends in ".pat" (the extension its filter shows).
std::filesystem::path SavedPatchPath(const std::filesystem::path& chosen);
// Load accepts ".pat" and the older ".ptc", in either case.
bool IsPatchFileName(const std::filesystem::path& path);

} // namespace veldin::patch
