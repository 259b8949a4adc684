#include "update/LauncherClose.h"

#include "update/UpdateMessages.h"

namespace veldin::update {

CloseOutcome CloseRunningLauncher(LauncherControl& launcher, UserInteraction& ui, std::chrono::milliseconds timeout) {
    if (!launcher.running()) return CloseOutcome::NotRunning;
    if (ui.ask(text::kCloseLauncher, text::kTitle, Buttons::YesNo, Icon::Information) != Answer::Yes)
        return CloseOutcome::Declined;
    if (launcher.requestClose() && launcher.waitForExit(timeout)) return CloseOutcome::Closed;
    if (!launcher.running()) return CloseOutcome::Closed;
    if (ui.ask(text::kLauncherStillRunning, text::kTitle, Buttons::YesNo, Icon::Warning) != Answer::Yes)
        return CloseOutcome::Declined;
    if (launcher.terminate() && launcher.waitForExit(std::chrono::milliseconds(5000))) return CloseOutcome::Killed;
    return CloseOutcome::Failed;
}

} // namespace veldin::update
