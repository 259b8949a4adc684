#pragma once
// Shared fixture of the tests with windows: one QApplication for the whole run, a
// settings file of the run (VELDIN_SETTINGS) with the build's program folder as main
// directory and the Tone and Patch Editors already set up, and an event-loop wait.
//
// Link a test with veldin_guitestsupport (veldin_add_test(... GUI)) and the application
// exists before the first test starts and is ended before the exit handlers run (Qt's
// thread storage is gone by then).

#include <QApplication>
#include <QElapsedTimer>

#include <filesystem>

namespace veldin::test {

// The settings file every module of this run reads and writes.
std::filesystem::path GuiSettingsFile();

// A folder of this run, removed at its end (for choosers' start folders and the like).
std::filesystem::path GuiRunDir();

// Runs the event loop until `done` holds or the time is up; returns `done()`.
template <class F>
bool WaitFor(F done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return done();
}

} // namespace veldin::test
