#pragma once
// The Tone Editor's settings as its frame uses them: subkey, table, first-start
// defaults and the pages of its preferences dialog.

#include <string>
#include <vector>

#include "core/ModuleSettings.h"
#include "frame/ui/ModuleFrame.h"

namespace veldin::quilla {

// `outputs`: the sound outputs to list ("Device:"); `settings` lives as long as the frame.
ui::ModuleSettingsSpec ToneSettingsSpec(ToneEditorSettings& settings, std::vector<std::string> outputs);

} // namespace veldin::quilla
