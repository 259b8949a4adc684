// The Tone Editor module library: the launcher loads it at run time and calls StartEd
// to open the frame and CloseEd when it quits.

#include "core/ModuleMessages.h"
#include "frame/ui/ModuleStart.h"
#include "platform/QtSettingsStore.h"
#include "tone/ui/TonePlayer.h"
#include "tone/ui/TonePreferences.h"
#include "tone/ui/ToneView.h"

namespace {

// Module-wide state: one frame at a time, its settings and store.
QPointer<veldin::ui::ModuleFrame> g_frame;
int g_osFamily = 0;
veldin::ToneEditorSettings g_settings;
std::unique_ptr<veldin::QtSettingsStore> g_store;

} // namespace

extern "C" __attribute__((visibility("default"))) int StartEd(veldin::bus::Handle launcher, int osFamily) {
    g_osFamily = osFamily; // kept for the floppy stages; the editor itself does not use it
    if (g_frame) return 0;
    g_settings = veldin::ToneEditorSettings{};
    g_store = std::make_unique<veldin::QtSettingsStore>();
    veldin::ui::ModuleStart start;
    start.identity = {"Tone Editor", veldin::msg::kToneEditor, "Quilla.html"};
    start.views = [](veldin::Document& doc, veldin::ui::ModuleFrame& frame, QWidget* parent) -> veldin::ui::DocumentView* {
        return new veldin::quilla::ToneView(doc, frame, parent, &g_settings.tree, &g_settings);
    };
    start.store = g_store.get();
    start.settings = veldin::quilla::ToneSettingsSpec(g_settings, veldin::quilla::PlaybackDeviceNames());
    start.icon = veldin::quilla::TreeIcon(veldin::tone::IconKind::Original, false);
    start.gone = [] { g_store.reset(); };
    return veldin::ui::StartModuleFrame(g_frame, launcher, std::move(start));
}

extern "C" __attribute__((visibility("default"))) int CloseEd(veldin::bus::Handle) {
    return veldin::ui::CloseModuleFrame(g_frame);
}
