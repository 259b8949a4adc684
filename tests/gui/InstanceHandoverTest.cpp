// Two real launchers: the first listens in this process, the second is the program
// started with a command line. A file name that looks like two messages is one file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QProcess>

#include <filesystem>

#include "core/Document.h"
#include "core/MemorySettingsStore.h"
#include "core/ModuleSettings.h"
#include "core/SingleInstance.h"
#include "frame/ui/ModuleFrame.h"
#include "launcher/ModuleHost.h"
#include "launcher/ui/LauncherWindow.h"
#include "launcher/ui/QtLibraryLoader.h"
#include "platform/QtSettingsStore.h"
#include "tests/support/GuiTestApp.h"
#include "tests/support/TestSupport.h"
#include "update/net/LocalLauncherControl.h"

using namespace veldin;
using namespace veldin::launcher;

namespace {

std::vector<ui::ModuleFrame*> Frames() {
    std::vector<ui::ModuleFrame*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName().startsWith(QLatin1String("ModuleFrame")) && w->isVisible())
            out.push_back(static_cast<ui::ModuleFrame*>(w));
    return out;
}

TEST(InstanceHandover, PathWithANewlineOpensAsOneFile) {
    test::TempDir dir;

    // DIR/odd<newline>open 57 DIR/other.s55: sent as a line, the first launcher would try
    // DIR/odd in the Tone Editor and open DIR/other.s55 in the Patch Editor.
    const std::filesystem::path other = dir / "other.s55";
    const std::filesystem::path odd = dir / ("odd\nopen 57 " + other.string());
    std::filesystem::create_directories(odd.parent_path());
    std::filesystem::copy_file(test::DemoImage("demo.s55"), other);
    std::filesystem::copy_file(test::DemoImage("demo.s55"), odd);

    test::ScriptedUi ui;
    {
        QtLibraryLoader loader(QString::fromStdString(test::BinDir().string()));
        LauncherWindow first(ui, loader, 2);
        ASSERT_TRUE(first.listen(QString::fromStdString(SingleInstanceName(test::BinDir()))));
        QProcess second;
        second.setProgram(QString::fromStdString((test::BinDir() / "veldin").string()));
        second.setArguments({QStringLiteral("-oT"), QString::fromStdString(odd.string())});
        second.start();
        ASSERT_TRUE(second.waitForStarted());
        ASSERT_TRUE(test::WaitFor([&] { return second.state() == QProcess::NotRunning; }));
        EXPECT_EQ(second.exitCode(), 0);

        ui::ModuleFrame* tone = nullptr;
        ASSERT_TRUE(test::WaitFor([&] {
            for (ui::ModuleFrame* f : Frames())
                if (f->objectName() == QLatin1String("ModuleFrame17") && f->activeDocument()) tone = f;
            return tone != nullptr;
        }));
        EXPECT_EQ(tone->activeDocument()->path(), odd);
        EXPECT_EQ(Frames().size(), 1u); // no Patch Editor started
        EXPECT_FALSE(first.button(kToneButton)->isEnabled());
        EXPECT_TRUE(ui.shown().empty());
        first.host().closeAll();
        QPointer<ui::ModuleFrame> gone(tone);
        test::WaitFor([&] { return gone.isNull(); });
    }
}

// Records the start's messages; while the first is shown, a second launcher hands over an
// image (as it can, now that the launcher listens before its start).
class HandoverDuringMessage final : public UserInteraction {
public:
    LauncherWindow* window = nullptr;
    OpenRequest handover;
    std::vector<std::pair<std::string, bool>> shown; // text, and whether the first was still up

    void message(std::string_view text, std::string_view, Icon) override {
        shown.emplace_back(text, firstUp_);
        if (shown.size() != 1 || !window) return;
        firstUp_ = true;
        window->openRequest(handover);
        firstUp_ = false;
    }
    Answer ask(std::string_view text, std::string_view title, veldin::Buttons, Icon icon) override {
        message(text, title, icon);
        return Answer::Cancel;
    }

private:
    bool firstUp_ = false;
};

TEST(InstanceHandover, ImagesHandedOverDuringTheStartWaitForTheSettings) {
    test::TempDir dir; // holds no module libraries: the Tone Editor "is not installed"
    MemorySettingsStore store;
    store.writeText("", "Main Path", test::BinDir().string());
    store.writeText("", "WinPosX", "left");
    HandoverDuringMessage ui;
    ui.handover = {kToneButton, test::DemoImage("demo.s55")};
    QtLibraryLoader loader(QString::fromStdString(dir.path().string()));
    LauncherWindow w(ui, loader, 2);
    ui.window = &w;
    w.start(&store, dir.path());
    ASSERT_GE(ui.shown.size(), 2u);
    EXPECT_NE(ui.shown[0].first.find("WinPosX"), std::string::npos) << ui.shown[0].first;
    EXPECT_EQ(ui.shown.back(), std::make_pair(std::string(kNotInstalled), false))
        << "the module is started only once the settings are read";
}

// A launcher held up at its start by a message box (here: a settings value it cannot
// read) must already answer the update client, or the client would replace the files of
// a launcher that runs unseen.
TEST(InstanceHandover, UpdateClientFindsALauncherThatShowsAStartMessage) {
    test::TempDir dir;
    const std::filesystem::path settings = dir / "settings.conf";
    const std::string ini = "[General]\nMain%20Path=" + test::BinDir().string() + "\nWinPosX=left\n";
    test::WriteFile(settings, std::vector<std::uint8_t>(ini.begin(), ini.end()));
    QProcess launcher;
    struct EndAtExit {
        QProcess& p;
        ~EndAtExit() {
            if (p.state() == QProcess::NotRunning) return;
            p.kill();
            p.waitForFinished();
        }
    } end{launcher};
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VELDIN_SETTINGS"), QString::fromStdString(settings.string()));
    launcher.setProcessEnvironment(env);
    launcher.setProgram(QString::fromStdString((test::BinDir() / "veldin").string()));
    launcher.start();
    ASSERT_TRUE(launcher.waitForStarted());

    update::LocalLauncherControl probe(test::BinDir());
    EXPECT_TRUE(test::WaitFor([&] { return probe.running(); }, 10000));
    // The close request is answered with the launcher's process id, which lets the client
    // end it when its user agrees.
    EXPECT_TRUE(probe.requestClose());
    EXPECT_TRUE(probe.terminate());
    EXPECT_TRUE(launcher.waitForFinished(10000));
    EXPECT_EQ(launcher.exitStatus(), QProcess::CrashExit);
    EXPECT_FALSE(update::LocalLauncherControl(test::BinDir()).running());
}

} // namespace
