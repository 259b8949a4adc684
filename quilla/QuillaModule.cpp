// The Tone Editor module library: the launcher loads it at run time and calls StartEd
// to open the frame and CloseEd when it quits.

#include <QApplication>
#include <QLibrary>
#include <QPointer>

#include "bus/MessageBus.h"
#include "core/ModuleMessages.h"
#include "frame/ui/ModuleFrame.h"
#include "quilla/ToneView.h"

namespace {

QPointer<veldin::ui::ModuleFrame> g_frame;
int g_osFamily = 0;

std::filesystem::path MainDirectory() {
    // The templates lie beside the programs, in the launcher's folder.
    return QCoreApplication::applicationDirPath().toStdString();
}

} // namespace

extern "C" __attribute__((visibility("default"))) int StartEd(veldin::bus::Handle launcher, int osFamily) {
    g_osFamily = osFamily; // kept for the floppy stages; the editor itself does not use it
    if (g_frame) return 0;
    auto views = [](veldin::Document& doc, veldin::ui::ModuleFrame& frame, QWidget* parent) -> veldin::ui::DocumentView* {
        return new veldin::quilla::ToneView(doc, frame, parent);
    };
    auto* frame = new veldin::ui::ModuleFrame({"Tone Editor", veldin::msg::kToneEditor}, launcher, MainDirectory(), views);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setWindowIcon(veldin::quilla::TreeIcon(veldin::tone::IconKind::Original, false));
    g_frame = frame;
    QObject::connect(frame, &QObject::destroyed, [launcher] {
        // Without a launcher the frame is the program.
        if (launcher == 0) QCoreApplication::quit();
    });
    frame->show();
    frame->announce();
    return 1;
}

extern "C" __attribute__((visibility("default"))) int CloseEd(veldin::bus::Handle launcher) {
    if (!g_frame) return 0;
    g_frame->setClosedByLauncher();
    (void)launcher;
    g_frame->close();
    return 1;
}
