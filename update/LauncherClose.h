#pragma once
// Before files are replaced, a launcher of the same installation must not be running.
// It is asked to close the way its user would close it, so that it can ask to save
// unsaved work; only when it has not exited after a while, and the user agrees a second
// time, is it ended by force.

#include <chrono>

#include "core/UserInteraction.h"
#include "update/Interfaces.h"

namespace veldin::update {

enum class CloseOutcome {
    NotRunning, // nothing to do
    Closed,     // it closed on request
    Killed,     // it was ended by force after the second consent
    Declined,   // the user said No: the update client closes without updating
    Failed,     // it could not be ended
};

inline constexpr std::chrono::milliseconds kLauncherCloseTimeout{20000};

CloseOutcome CloseRunningLauncher(LauncherControl& launcher, UserInteraction& ui,
                                  std::chrono::milliseconds timeout = kLauncherCloseTimeout);

} // namespace veldin::update
