// The Patch Editor module library: the launcher loads it at run time and calls StartEd
// to open the frame and CloseEd when it quits.

#include "core/ModuleMessages.h"
#include "frame/ui/ModuleStart.h"
#include "patch/ui/PatchPreferences.h"
#include "patch/ui/PatchView.h"
#include "platform/QtSettingsStore.h"

namespace {

// Module-wide state: one frame at a time, its settings and store.
QPointer<veldin::ui::ModuleFrame> g_frame;
int g_osFamily = 0;
veldin::PatchEditorSettings g_settings;
std::unique_ptr<veldin::QtSettingsStore> g_store;

} // namespace

extern "C" __attribute__((visibility("default"))) int StartEd(veldin::bus::Handle launcher, int osFamily) {
    g_osFamily = osFamily; // kept, as every module keeps it; the editor does not use it
    if (g_frame) return 0;
    g_settings = veldin::PatchEditorSettings{};
    g_store = std::make_unique<veldin::QtSettingsStore>();
    veldin::ui::ModuleStart start;
    start.identity = {"Patch Editor", veldin::msg::kPatchEditor, "Brisko.html", &veldin::frame::PatchEditorMenus()};
    start.views = [](veldin::Document& doc, veldin::ui::ModuleFrame& frame, QWidget* parent) -> veldin::ui::DocumentView* {
        return new veldin::brisko::PatchView(doc, frame, parent, &g_settings);
    };
    start.store = g_store.get();
    start.settings = veldin::brisko::PatchSettingsSpec(g_settings);
    start.icon = veldin::brisko::PatchTreeIcon(veldin::patch::IconKind::Patch);
    start.gone = [] { g_store.reset(); };
    return veldin::ui::StartModuleFrame(g_frame, launcher, std::move(start));
}

extern "C" __attribute__((visibility("default"))) int CloseEd(veldin::bus::Handle) {
    return veldin::ui::CloseModuleFrame(g_frame);
}
