// The CD Editor module library: the launcher loads it at run time; StartEd runs the
// "Disc Editor" dialog modally and CloseEd closes it when the launcher quits.

#include <QApplication>
#include <QPointer>

#include "bus/MessageBus.h"
#include "cd/ui/DiscEditorDialogs.h"
#include "frame/ui/QtUserInteraction.h"
#include "platform/QtSettingsStore.h"

namespace {

QPointer<veldin::dorrel::DiscEditorDialog> g_dialog;
int g_osFamily = 0;

} // namespace

extern "C" __attribute__((visibility("default"))) int StartEd(veldin::bus::Handle launcher, int osFamily) {
    g_osFamily = osFamily; // kept; reading discs does not depend on it
    if (g_dialog) return 0;
    veldin::QtSettingsStore store;
    veldin::ui::QtUserInteraction ui;
    // Until the settings name the main directory: the launcher's folder.
    veldin::dorrel::DiscEditorDialog dialog(launcher, QCoreApplication::applicationDirPath().toStdString(), &store,
                                            ui);
    g_dialog = &dialog;
    // CloseEd may come while the drives are listed, before the dialog runs.
    if (dialog.start() && !dialog.closedByLauncher()) dialog.exec();
    g_dialog = nullptr;
    const bool endProcess = dialog.closedByLauncher() || launcher == 0;
    store.sync();
    if (endProcess) QCoreApplication::quit();
    return 1;
}

extern "C" __attribute__((visibility("default"))) int CloseEd(veldin::bus::Handle launcher) {
    (void)launcher;
    if (!g_dialog) return 0;
    g_dialog->setClosedByLauncher();
    // Any dialog on top of it (export, wait, messages) goes first.
    if (QWidget* top = QApplication::activeModalWidget(); top && top != g_dialog) top->close();
    g_dialog->reject();
    return 1;
}
