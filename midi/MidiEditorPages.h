#pragma once
// The MIDI Editor's preferences: the pages of its dialog bound to MidiEditorSettings,
// and what a first start sets up.

#include <filesystem>
#include <span>

#include "core/ModuleSettings.h"
#include "core/PageBinding.h"

namespace veldin::midi {

// "Appearance", "Paths", "Conversion".
std::span<const PreferencesPage> MidiEditorPages();

// "Song Path" and "MIDI Path" under the main directory, both created; the window is not
// aligned to the launcher's, the rest as a new user expects it.
Status SetMidiEditorFirstStart(MidiEditorSettings& s, const std::filesystem::path& mainDir);

} // namespace veldin::midi
