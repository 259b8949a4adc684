#pragma once
// The MIDI Editor's settings as its frame uses them: subkey, table, first-start defaults
// and the pages of its preferences dialog.

#include "core/ModuleSettings.h"
#include "frame/ui/ModuleFrame.h"

namespace veldin::fennet {

// `settings` lives as long as the frame.
ui::ModuleSettingsSpec MidiSettingsSpec(MidiEditorSettings& settings);

// The frame's identity: name, module code, help page, the "&Special" menu of the song
// commands and the song list's context menu.
ui::ModuleIdentity MidiEditorIdentity();

} // namespace veldin::fennet
