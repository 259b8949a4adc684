#include "midi/MidiEditorPages.h"

#include <cstddef>

namespace veldin::midi {
namespace {

// The frame's "Appearance" page binds the frame settings at the head of every module's
// settings, so one table serves all modules.
static_assert(offsetof(MidiEditorSettings, frame) == offsetof(ToneEditorSettings, frame));

// clang-format off
#define AT(field) offsetof(MidiEditorSettings, field)
const PageBinding kPaths[] = {
    {3901, ControlKind::Static, 0, 0},
    {3902, ControlKind::Static, 0, 0},
    {3100, ControlKind::Text, AT(songPath), kSettingsPathSize},
    {3101, ControlKind::Static, 0, 0},
    {3903, ControlKind::Static, 0, 0},
    {3102, ControlKind::Text, AT(midiPath), kSettingsPathSize},
    {3103, ControlKind::Static, 0, 0},
    {0, ControlKind::Static, 0, 0},
};
// Radio groups: the first button's id plus the stored value is the one checked.
const PageBinding kConversion[] = {
    {3904, ControlKind::Static, 0, 0},
    {3200, ControlKind::RadioFirst, AT(midiTrackName), 2},
    {3201, ControlKind::RadioNext, AT(midiTrackName), 1},
    {3202, ControlKind::RadioNext, AT(midiTrackName), 1},
    {3905, ControlKind::Static, 0, 0},
    {3210, ControlKind::RadioFirst, AT(rolandSongName), 2},
    {3211, ControlKind::RadioNext, AT(rolandSongName), 1},
    {3212, ControlKind::RadioNext, AT(rolandSongName), 1},
    {3906, ControlKind::Static, 0, 0},
    {3301, ControlKind::CheckBox, AT(logConversion), 1},
    {0, ControlKind::Static, 0, 0},
};
#undef AT
// clang-format on

} // namespace

std::span<const PreferencesPage> MidiEditorPages() {
    static const PreferencesPage pages[] = {
        {"Appearance", ToneEditorPages()[0].bindings},
        {"Paths", kPaths},
        {"Conversion", kConversion},
    };
    return pages;
}

Status SetMidiEditorFirstStart(MidiEditorSettings& s, const std::filesystem::path& mainDir) {
    s = MidiEditorSettings{};
    s.frame.winAlign = 0;
    const auto songs = mainDir / "Songs";
    const auto midis = mainDir / "MIDI";
    SetFieldString(s.songPath, songs.string());
    SetFieldString(s.midiPath, midis.string());
    for (const auto& dir : {songs, midis}) {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec) return Fail("Couldn't create directory " + dir.string());
    }
    return {};
}

} // namespace veldin::midi
