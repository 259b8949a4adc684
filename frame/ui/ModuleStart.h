#pragma once
// What StartEd and CloseEd of every editor module do: one frame at a time, started on
// the module's settings, shown and announced to the launcher; a first start asks for the
// preferences before anything else; without a launcher the frame is the program.

#include <QIcon>
#include <QPointer>
#include <functional>

#include "frame/ui/ModuleFrame.h"

namespace veldin::ui {

struct ModuleStart {
    ModuleIdentity identity;
    ViewFactory views;
    SettingsStore* store = nullptr;
    ModuleSettingsSpec settings;
    QIcon icon;
    std::function<void()> gone; // after the frame was destroyed (release the store)
};

// Returns 0 when a frame of the module runs already, 1 otherwise.
int StartModuleFrame(QPointer<ModuleFrame>& frame, bus::Handle launcher, ModuleStart start);
int CloseModuleFrame(QPointer<ModuleFrame>& frame);

// Until the settings name the main directory: the launcher's folder.
std::filesystem::path ProgramDirectory();

} // namespace veldin::ui
