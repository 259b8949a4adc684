// The update client's window, offscreen, against a real web server on 127.0.0.1: Start
// fills the list and replaces the files, a changed byte is refused, the Settings tab
// writes "Connect" and "Proxy", and a running launcher is asked to close.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "core/Bytes.h"
#include "platform/QtSettingsStore.h"
#include "tests/support/GuiTestApp.h"
#include "tests/support/TestSupport.h"
#include "tests/update/LocalServer.h"
#include "tests/update/UpdateFakes.h"
#include "update/FileVersion.h"
#include "update/Publish.h"
#include "update/UpdateMessages.h"
#include "update/net/HttpDownloader.h"
#include "update/net/LocalLauncherControl.h"
#include "update/ui/UpdateClient.h"
#include "update/ui/UpdateDialog.h"

namespace veldin::update {
namespace {

namespace fs = std::filesystem;
using veldin::test::ReadFile;
using veldin::test::ScriptedUi;
using veldin::test::TempDir;
using veldin::test::WaitFor;
using veldin::test::WriteFile;

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }
std::string Marked(std::string_view version, std::string_view body) {
    return std::string(body) + std::string(kVersionMarker) + std::string(version) + '\0';
}
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// A published folder served on 127.0.0.1, an installation with an older program, and a
// dialog with its own settings file, answering questions from a script.
class DialogRig {
public:
    DialogRig() {
        fs::create_directories(root_ / "src");
        fs::create_directories(install);
        WriteFile(root_ / "src" / "veldin", Bytes(Marked("0.2.0.0", "new launcher")));
        WriteFile(root_ / "src" / "readme.txt", Bytes("read me"));
        WriteFile(root_ / "src" / "libBrisko.so", Bytes(Marked("0.1.0.0", "current module")));
        WriteFile(install / "veldin", Bytes(Marked("0.1.0.0", "old launcher")));
        WriteFile(install / "libBrisko.so", Bytes(Marked("0.1.0.0", "current module")));
        EXPECT_TRUE(Publish(root_ / "src", root_ / "srv" / "update", key_).ok());
    }
    void serve(const QStringList& args = test::PlainHttp()) {
        server_ = std::make_unique<test::Server>(root_ / "srv", args);
        url_ = QString("http://127.0.0.1:%1/update/").arg(server_->port()).toStdString();
    }
    // Against the served folder with the publisher's key and the stored connection, or,
    // given a connection, against a port where nothing listens.
    std::unique_ptr<UpdateDialog> dialog(std::optional<ConnectionSettings> unserved = std::nullopt) {
        auto d = std::make_unique<UpdateDialog>(
            ClientServices{store, workerStore, ui, shell,
                           [](const ConnectionSettings& c) { return std::make_unique<HttpDownloader>(c, DownloadOptions{}); }},
            unserved ? ClientSetup{install, "http://127.0.0.1:9/update/", {}}
                     : ClientSetup{install, url_, {key_.publicKey()}},
            unserved.value_or(LoadConnection(store)));
        d->show();
        return d;
    }
    int requests(const char* name) { return server_->requestsFor(QString(name) + " HTTP"); }
    fs::path served(const char* name) { return root_ / "srv" / "update" / name; }
    std::string installed(const char* name) {
        const auto b = ReadFile(install / name);
        return {b.begin(), b.end()};
    }

    TempDir root_;
    fs::path install = root_ / "install";
    QtSettingsStore store{(root_ / "settings.conf").string()};
    QtSettingsStore workerStore{(root_ / "settings.conf").string()};
    ScriptedUi ui;
    test::RecordingShell shell;

private:
    SigningKey key_ = SigningKey::Generate();
    std::unique_ptr<test::Server> server_;
    std::string url_;
};

template <class T>
T* Control(QWidget& d, const char* id) {
    T* w = d.findChild<T*>(QString::fromLatin1(id));
    EXPECT_NE(w, nullptr) << id;
    return w;
}

QString Status(QWidget& d) { return Control<QLabel>(d, "ctl1002")->text(); }

// Saves what the dialog shows, for a person to look at (build/screenshots/).
void Shoot(QWidget& d, const char* name) {
    const fs::path dir = fs::path(VELDIN_BIN_DIR).parent_path() / "screenshots";
    fs::create_directories(dir);
    d.grab().save(QString::fromStdString((dir / name).string()));
}

// A byte changed on the server is refused with nothing replaced; with the file as it was
// published, Start fills the list and replaces the older files.
TEST(UpdateDialog, StartRefusesAChangedByteThenUpdates) {
    DialogRig r;
    const auto published = ReadFile(r.served("readme.tx_"));
    auto changed = published;
    changed.back() ^= 0x40;
    WriteFile(r.served("readme.tx_"), changed);
    r.serve();
    auto d = r.dialog();
    EXPECT_EQ(Status(*d), Q(text::kPressStart));
    auto* start = Control<QPushButton>(*d, "ctl1");
    start->click();
    ASSERT_TRUE(WaitFor([&] { return !d->busy(); }, 30000));
    EXPECT_EQ(Status(*d), Q(text::kDetailsCorrupted));
    EXPECT_EQ(r.ui.texts(), (std::vector<std::string>{std::string(text::kFileNotAsSigned) + "readme.tx_"}));
    EXPECT_EQ(r.installed("veldin"), Marked("0.1.0.0", "old launcher"));
    EXPECT_FALSE(fs::exists(r.install / "readme.txt"));

    WriteFile(r.served("readme.tx_"), published);
    r.ui.clear();
    QTest::mouseClick(start, Qt::LeftButton);
    EXPECT_TRUE(d->busy());
    EXPECT_FALSE(start->isEnabled());
    d->start(); // a second Start while the first runs does nothing
    ASSERT_TRUE(WaitFor([&] { return !d->busy(); }, 30000));
    EXPECT_EQ(Status(*d), Q(text::kUpdatePerformed));
    EXPECT_TRUE(start->isEnabled());
    EXPECT_EQ(Control<QProgressBar>(*d, "ctl1005")->value(), 100);
    auto* list = Control<QTreeWidget>(*d, "ctl1004");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    const auto* item = list->topLevelItem(1);
    EXPECT_EQ(QStringList({item->text(0), item->text(1), item->text(2)}), QStringList({"veldin", "Normal", "0.2.0.0"}));
    EXPECT_EQ(item->text(3), QString("%1 b").arg(ReadFile(r.root_ / "src" / "veldin").size()));
    EXPECT_EQ(item->text(4), QString("%1 b").arg(ReadFile(r.served("veldi_")).size()));
    EXPECT_EQ(list->topLevelItem(0)->text(0), "readme.txt");
    EXPECT_EQ(r.installed("veldin"), Marked("0.2.0.0", "new launcher"));
    EXPECT_EQ(r.installed("readme.txt"), "read me");
    EXPECT_EQ(r.requests("veldin.ver"), 2);
    EXPECT_EQ(r.requests("libBrisko.s_"), 0); // current: not fetched
    EXPECT_TRUE(r.ui.shown().empty());
    Shoot(*d, "update-tab-after-update.png");
    Control<QTabWidget>(*d, "ctl1000")->setCurrentIndex(1);
    Shoot(*d, "update-settings-tab.png");
}

// Packed files come slowly: the dialog stays live while they do, and closing it stops
// the run with nothing installed; the dialog closes once the file under way has come.
TEST(UpdateDialog, ClosingDuringTheRunStopsItAndInstallsNothing) {
    DialogRig r;
    r.serve(test::HttpWith("_", "            time.sleep(1.5)\n"));
    auto d = r.dialog();
    d->start();
    ASSERT_TRUE(WaitFor([&] { return Status(*d) == Q(text::kUpdatingFiles); }, 10000));
    auto* tabs = Control<QTabWidget>(*d, "ctl1000");
    tabs->setCurrentIndex(1); // the window answers while the worker waits
    EXPECT_TRUE(WaitFor([&] { return Control<QRadioButton>(*d, "ctl1100")->isVisible(); }));
    EXPECT_TRUE(d->busy());
    d->close();
    EXPECT_TRUE(d->isVisible());
    ASSERT_TRUE(WaitFor([&] { return !d->busy(); }, 20000));
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(Status(*d), Q(text::kUpdateStopped));
    EXPECT_FALSE(fs::exists(r.install / "readme.txt"));
    EXPECT_EQ(r.requests("veldi_"), 0); // the second file was never asked for
}

// A server that is down, a proxy that refuses and a proxy that cannot be used: the fixed
// texts, and the installation as it was.
TEST(UpdateDialog, NoConnectionSaysSo) {
    const std::pair<const char*, ConnectionSettings> cases[] = {
        {"server down", {ConnectionType::Direct, ""}},
        {"proxy refuses", {ConnectionType::NamedProxy, "127.0.0.1:9"}},
        {"proxy unusable", {ConnectionType::NamedProxy, "no host here:x"}},
    };
    for (const auto& [what, connection] : cases) {
        DialogRig r; // never served
        auto d = r.dialog(connection);
        d->start();
        ASSERT_TRUE(WaitFor([&] { return !d->busy(); }, 30000)) << what;
        EXPECT_EQ(Status(*d), Q(text::kConnectionFailed)) << what;
        EXPECT_EQ(r.installed("veldin"), Marked("0.1.0.0", "old launcher")) << what;
    }
}

TEST(UpdateDialog, SettingsTabWritesConnectAndProxy) {
    DialogRig r;
    auto d = r.dialog();
    // Missing values were written back with their defaults when the client started.
    ASSERT_TRUE(r.store.read("", "Connect", RegType::Dword).has_value());
    EXPECT_TRUE(Control<QRadioButton>(*d, "ctl1100")->isChecked());
    auto* save = Control<QPushButton>(*d, "ctl1104");
    EXPECT_FALSE(save->isEnabled());

    Control<QTabWidget>(*d, "ctl1000")->setCurrentIndex(1);
    auto* useProxy = Control<QRadioButton>(*d, "ctl1102");
    ASSERT_TRUE(WaitFor([&] { return useProxy->isVisible(); }));
    // On its indicator, as a person clicks it (the button is wider than what it shows).
    QTest::mouseClick(useProxy, Qt::LeftButton, {}, QPoint(6, useProxy->height() / 2));
    EXPECT_TRUE(save->isEnabled());
    QTest::keyClicks(Control<QLineEdit>(*d, "ctl1103"), "proxy.example:3128");
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_FALSE(save->isEnabled());
    ASSERT_TRUE(r.store.sync());

    // A new dialog shows what was saved (the values as stored: ConnectionForm).
    auto again = r.dialog();
    EXPECT_TRUE(Control<QRadioButton>(*again, "ctl1102")->isChecked());
    EXPECT_EQ(Control<QLineEdit>(*again, "ctl1103")->text(), "proxy.example:3128");
}

// Every control has an accessible name, and with a large font every control still lies
// whole inside the widget that holds it.
TEST(UpdateDialog, NamedControlsNotClippedWithALargeFont) {
    const QFont normal = QApplication::font();
    for (int points : {9, 22}) {
        QFont big = normal;
        big.setPointSize(points);
        QApplication::setFont(big);
        DialogRig r;
        auto d = r.dialog();
        const auto controls = d->findChildren<QWidget*>(QRegularExpression("^ctl"));
        ASSERT_FALSE(controls.isEmpty());
        for (const QWidget* w : controls) EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        // A notification-area icon only where the desktop has an area for it.
        EXPECT_EQ(d->findChild<QSystemTrayIcon*>() != nullptr, QSystemTrayIcon::isSystemTrayAvailable());
        auto* tabs = Control<QTabWidget>(*d, "ctl1000");
        for (int page = 0; page < 2; ++page) {
            tabs->setCurrentIndex(page);
            ASSERT_TRUE(WaitFor([&] { return tabs->currentWidget()->isVisible(); }));
            QApplication::processEvents();
            for (QWidget* w : tabs->currentWidget()->findChildren<QWidget*>()) {
                if (!w->objectName().startsWith("ctl") || !w->isVisible()) continue;
                const QRect inParent = w->geometry();
                EXPECT_TRUE(w->parentWidget()->rect().contains(inParent))
                    << points << "pt " << w->objectName().toStdString() << " " << inParent.bottom() << " > "
                    << w->parentWidget()->rect().bottom();
                EXPECT_GE(w->height(), w->minimumSizeHint().height()) << points << "pt " << w->objectName().toStdString();
                EXPECT_GE(w->width(), w->minimumSizeHint().width()) << points << "pt " << w->objectName().toStdString();
            }
            if (points == 22) Shoot(*d, page == 0 ? "update-tab-large-font.png" : "update-settings-large-font.png");
        }
    }
    QApplication::setFont(normal);
}

// Start-up: the launcher of the installation is asked and closes on Yes; on No the
// client ends; without "Main Path" the fixed message and the end.
TEST(UpdateClient, RunningLauncherIsAskedToClose) {
    for (Answer answer : {Answer::Yes, Answer::No}) {
        TempDir dir;
        QtSettingsStore store((dir / "s.conf").string());
        const std::string main = dir.path().string();
        ASSERT_TRUE(store.write("", "Main Path", RegType::Sz, Bytes(main)));
        QProcess fake;
        fake.start(FAKE_LAUNCHER, {QString::fromStdString(main + "/"), "obedient"});
        ASSERT_TRUE(fake.waitForStarted(5000));
        LocalLauncherControl launcher(main + "/");
        ASSERT_TRUE(WaitFor([&] { return launcher.running(); }, 10000));
        ScriptedUi ui;
        ui.answer(answer);
        const auto start = PrepareClient(store, ui, launcher, std::nullopt);
        ASSERT_EQ(ui.texts(), (std::vector<std::string>{std::string(text::kCloseLauncher)}));
        EXPECT_EQ(ui.shown()[0].title, text::kTitle);
        if (answer == Answer::Yes) {
            ASSERT_TRUE(start.has_value());
            EXPECT_EQ(start->installDir, fs::path(main) / "");
            EXPECT_TRUE(fake.waitForFinished(10000));
        } else {
            EXPECT_FALSE(start.has_value());
            EXPECT_EQ(fake.state(), QProcess::Running);
            fake.kill();
            fake.waitForFinished(5000);
        }
    }
    TempDir empty;
    QtSettingsStore none((empty / "none.conf").string());
    ScriptedUi ui;
    LocalLauncherControl nobody(empty.path());
    EXPECT_FALSE(PrepareClient(none, ui, nobody, std::nullopt).has_value());
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{std::string(text::kNotInstalled)}));
    EXPECT_EQ(ui.shown()[0].icon, Icon::Error);
}

} // namespace
} // namespace veldin::update
