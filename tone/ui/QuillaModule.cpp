// The Tone Editor module library: the launcher loads it at run time and calls StartEd
// to open the frame and CloseEd when it quits.

#include <QApplication>
#include <QLibrary>
#include <QPointer>
#include <QTimer>

#include "bus/MessageBus.h"
#include "core/ModuleMessages.h"
#include "frame/ui/ModuleFrame.h"
#include "platform/AudioOutputs.h"
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

std::filesystem::path ProgramDirectory() {
    // Until the settings name the main directory: the launcher's folder.
    return QCoreApplication::applicationDirPath().toStdString();
}

} // namespace

extern "C" __attribute__((visibility("default"))) int StartEd(veldin::bus::Handle launcher, int osFamily) {
    g_osFamily = osFamily; // kept for the floppy stages; the editor itself does not use it
    if (g_frame) return 0;
    g_settings = veldin::ToneEditorSettings{};
    g_store = std::make_unique<veldin::QtSettingsStore>();
    auto views = [](veldin::Document& doc, veldin::ui::ModuleFrame& frame, QWidget* parent) -> veldin::ui::DocumentView* {
        return new veldin::quilla::ToneView(doc, frame, parent, &g_settings.tree, &g_settings);
    };
    auto* frame = new veldin::ui::ModuleFrame({"Tone Editor", veldin::msg::kToneEditor, "Quilla.html"}, launcher,
                                              ProgramDirectory(), views);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setWindowIcon(veldin::quilla::TreeIcon(veldin::tone::IconKind::Original, false));
    g_frame = frame;
    QObject::connect(frame, &QObject::destroyed, [launcher] {
        g_store.reset();
        // Without a launcher the frame is the program.
        if (launcher == 0) QCoreApplication::quit();
    });
    if (!frame->start(g_store.get(), veldin::quilla::ToneSettingsSpec(g_settings, veldin::quilla::PlaybackDeviceNames()))) {
        // Settings that cannot be used: the message was shown; the frame goes again and
        // the launcher hears that it closed.
        QTimer::singleShot(0, frame, [frame] { frame->close(); });
        return 1;
    }
    frame->show();
    frame->announce();
    // A first start asks for the preferences before anything else.
    if (frame->firstStart()) QTimer::singleShot(0, frame, [frame] { frame->showPreferences(); });
    return 1;
}

extern "C" __attribute__((visibility("default"))) int CloseEd(veldin::bus::Handle launcher) {
    if (!g_frame) return 0;
    g_frame->setClosedByLauncher();
    (void)launcher;
    g_frame->close();
    return 1;
}
