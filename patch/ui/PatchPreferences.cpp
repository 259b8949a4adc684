#include "patch/ui/PatchPreferences.h"

namespace veldin::brisko {

using ui::ControlType;

ui::ModuleSettingsSpec PatchSettingsSpec(PatchEditorSettings& settings) {
    ui::ModuleSettingsSpec spec;
    spec.key = std::string(kPatchEditorKey);
    spec.table = PatchEditorTable();
    spec.storage = StorageOf(settings);
    spec.frame = &settings.frame;
    spec.firstStart = [&settings](const std::filesystem::path& mainDir) {
        return SetPatchEditorFirstStart(settings, mainDir);
    };
    // The frame's "Window" group with the patch directory beside it, on one page.
    ui::PageSpec page = ui::AppearancePage(PatchEditorPages()[0].bindings);
    page.controls.insert(page.controls.end(), {{3901, ControlType::Group, ""},
                                               {3902, ControlType::Label, "Patch directory:"},
                                               {3100, ControlType::Edit, ""},
                                               {3101, ControlType::Browse, ">>"}});
    spec.pages.push_back(std::move(page));
    return spec;
}

} // namespace veldin::brisko
