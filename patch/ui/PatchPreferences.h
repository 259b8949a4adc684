#pragma once
// The Patch Editor's settings as its frame uses them: subkey, table, first-start
// defaults ("Patches" under the main directory) and its one preferences page.

#include "core/ModuleSettings.h"
#include "frame/ui/ModuleFrame.h"

namespace veldin::brisko {

// `settings` lives as long as the frame.
ui::ModuleSettingsSpec PatchSettingsSpec(PatchEditorSettings& settings);

} // namespace veldin::brisko
