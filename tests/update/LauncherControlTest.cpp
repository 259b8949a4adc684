// The launcher's socket for real: a fake launcher process that closes on request, or
// that waits (as one asking its user to save would) until it is ended by force.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include "tests/support/TestSupport.h"
#include "update/LauncherClose.h"
#include "update/net/HttpDownloader.h"
#include "update/net/LocalLauncherControl.h"

namespace veldin::update {
namespace {

using veldin::test::ScriptedUi;
using veldin::test::TempDir;

// Starts the fake detached, as the launcher is no child of the update client.
void StartFake(const TempDir& dir, const char* mode) {
    ASSERT_TRUE(QProcess::startDetached(FAKE_LAUNCHER, {QString::fromStdString(dir.path().string()), mode}));
    LocalLauncherControl probe(dir.path());
    QElapsedTimer clock;
    clock.start();
    while (!probe.running() && clock.elapsed() < 10000) QThread::msleep(50);
    ASSERT_TRUE(probe.running());
}

// A stubborn launcher stays on the first Yes and a No; a second Yes ends it, and then
// nothing listens: not running, nothing to ask or end. (An obedient one closing on the
// first Yes is the update program's start-up test.)
TEST(LocalLauncherControl, StubbornLauncherIsEndedOnlyAfterSecondYes) {
    EnsureCoreApplication();
    TempDir dir;
    StartFake(dir, "stubborn");
    for (Answer second : {Answer::No, Answer::Yes}) {
        LocalLauncherControl c(dir.path());
        ScriptedUi ui;
        ui.answer(Answer::Yes);
        ui.answer(second);
        EXPECT_EQ(CloseRunningLauncher(c, ui, std::chrono::milliseconds(300)),
                  second == Answer::No ? CloseOutcome::Declined : CloseOutcome::Killed);
        EXPECT_EQ(c.running(), second == Answer::No);
    }
    LocalLauncherControl gone(dir.path());
    EXPECT_FALSE(gone.running());
    EXPECT_FALSE(gone.requestClose());
    EXPECT_FALSE(gone.terminate());
    ScriptedUi ui;
    EXPECT_EQ(CloseRunningLauncher(gone, ui), CloseOutcome::NotRunning);
    EXPECT_TRUE(ui.shown().empty());
}

} // namespace
} // namespace veldin::update
