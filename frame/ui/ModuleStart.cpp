#include "frame/ui/ModuleStart.h"

#include <QCoreApplication>
#include <QTimer>

namespace veldin::ui {

std::filesystem::path ProgramDirectory() { return QCoreApplication::applicationDirPath().toStdString(); }

int StartModuleFrame(QPointer<ModuleFrame>& slot, bus::Handle launcher, ModuleStart start) {
    if (slot) return 0;
    auto* frame = new ModuleFrame(std::move(start.identity), launcher, ProgramDirectory(), std::move(start.views));
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setWindowIcon(start.icon);
    slot = frame;
    QObject::connect(frame, &QObject::destroyed, [launcher, gone = std::move(start.gone)] {
        if (gone) gone();
        // Without a launcher the frame is the program.
        if (launcher == 0) QCoreApplication::quit();
    });
    if (!frame->start(start.store, std::move(start.settings))) {
        // Settings that cannot be used: the message was shown; the frame goes again and
        // the launcher hears that it closed.
        QTimer::singleShot(0, frame, [frame] { frame->close(); });
        return 1;
    }
    frame->show();
    frame->announce();
    if (frame->firstStart()) QTimer::singleShot(0, frame, [frame] { frame->showPreferences(); });
    return 1;
}

int CloseModuleFrame(QPointer<ModuleFrame>& frame) {
    if (!frame) return 0;
    frame->setClosedByLauncher();
    frame->close();
    return 1;
}

} // namespace veldin::ui
