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

TEST(LocalLauncherControl, NothingListeningIsNotRunning) {
    EnsureCoreApplication();
    TempDir dir;
    LocalLauncherControl c(dir.path());
    EXPECT_FALSE(c.running());
    EXPECT_FALSE(c.requestClose());
    EXPECT_FALSE(c.terminate());
    ScriptedUi ui;
    EXPECT_EQ(CloseRunningLauncher(c, ui), CloseOutcome::NotRunning);
}

TEST(LocalLauncherControl, ObedientLauncherClosesOnRequest) {
    EnsureCoreApplication();
    TempDir dir;
    StartFake(dir, "obedient");
    LocalLauncherControl c(dir.path());
    ScriptedUi ui;
    ui.answer(Answer::Yes);
    EXPECT_EQ(CloseRunningLauncher(c, ui, std::chrono::seconds(10)), CloseOutcome::Closed);
    EXPECT_FALSE(c.running());
    EXPECT_EQ(ui.shown().size(), 1u);
}

TEST(LocalLauncherControl, StubbornLauncherIsEndedOnlyAfterSecondYes) {
    EnsureCoreApplication();
    TempDir dir;
    StartFake(dir, "stubborn");
    {
        LocalLauncherControl c(dir.path());
        ScriptedUi ui;
        ui.answer(Answer::Yes);
        ui.answer(Answer::No);
        EXPECT_EQ(CloseRunningLauncher(c, ui, std::chrono::milliseconds(300)), CloseOutcome::Declined);
        EXPECT_TRUE(c.running());
    }
    LocalLauncherControl c(dir.path());
    ScriptedUi ui;
    ui.answer(Answer::Yes);
    ui.answer(Answer::Yes);
    EXPECT_EQ(CloseRunningLauncher(c, ui, std::chrono::milliseconds(300)), CloseOutcome::Killed);
    EXPECT_FALSE(c.running());
    EXPECT_FALSE(LocalLauncherControl(dir.path()).running());
}

} // namespace
} // namespace veldin::update
