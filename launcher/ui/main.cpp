// veldin: the launcher. One per installation folder; a second start hands its command
// line to the first and ends.

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QAction>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "core/InstallLayout.h"
#include "core/ModuleSettings.h"
#include "core/SingleInstance.h"
#include "platform/QtSettingsStore.h"
#include "frame/ui/QtUserInteraction.h"
#include "launcher/CommandLine.h"
#include "launcher/InstanceMessages.h"
#include "launcher/LauncherSettings.h"
#include "launcher/ui/LauncherWindow.h"
#include "launcher/ui/QtLibraryLoader.h"

using namespace veldin;
using namespace veldin::launcher;

namespace {

bool FileExists(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec);
}

// Hands the requests to the launcher that listens under `name`; false when none does.
bool HandToRunning(const QString& name, const std::vector<OpenRequest>& opens) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(1000)) return false;
    for (const OpenRequest& r : opens) socket.write(QByteArray::fromStdString(OpenMessage(r)));
    socket.flush();
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

// Saves the launcher and every module frame that is shown, and each frame's
// preferences: FILE, FILE-tone-editor.png, FILE-tone-editor-preferences-1.png ...
bool SaveScreenshots(LauncherWindow& w, const QString& file) {
    bool ok = w.grab().save(file);
    const QString stem = file.endsWith(QLatin1String(".png")) ? file.chopped(4) : file;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible() || !top->objectName().startsWith(QLatin1String("ModuleFrame"))) continue;
        const QString name = top->property("programName").toString().toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
        ok = top->grab().save(stem + QLatin1Char('-') + name + QStringLiteral(".png")) && ok;
        // The preferences through the frame's own menu command.
        if (auto* prefs = top->findChild<QAction*>(QStringLiteral("ctl1010"))) {
            prefs->trigger();
            QApplication::processEvents();
            if (QWidget* d = top->findChild<QWidget*>(QStringLiteral("preferences"))) {
                // One picture a page: FILE-tone-editor-preferences-1.png ...
                auto* tabs = d->findChild<QTabBar*>(QStringLiteral("ctl3000"));
                const int pages = tabs ? tabs->count() : 1;
                for (int i = 0; i < pages; ++i) {
                    if (tabs) tabs->setCurrentIndex(i);
                    d->adjustSize();
                    ok = d->grab().save(stem + QLatin1Char('-') + name + QStringLiteral("-preferences-%1.png").arg(i + 1)) && ok;
                }
                d->close();
            }
        }
    }
    return ok;
}

// Headless screenshots run on settings of their own in a temporary folder: the program's
// folder as main directory (the temporary folder for a system installation), the demo
// images as disk image folder, and module settings that exist already, so that no
// first-start dialog stands in front of the pictures.
bool PrepareScreenshotSettings(const QTemporaryDir& dir, const InstallLayout& layout) {
    const std::string file = dir.filePath(QStringLiteral("settings.conf")).toStdString();
    QtSettingsStore store(file);
    ui::StderrInteraction quiet;
    LauncherSettings launcher;
    SetFieldString(launcher.mainPath, DefaultMainDirectory(layout, dir.path().toStdString()).string());
    SetFieldString(launcher.sdkPath, (layout.dataDir / "demo").string());
    SaveLauncherSettings(store, launcher, quiet);
    ToneEditorSettings tone;
    if (!SetToneEditorFirstStart(tone, dir.path().toStdString()).ok()) return false;
    SaveSettings(store, kToneEditorKey, ToneEditorTable(), StorageOf(tone), quiet, "Tone Editor");
    PatchEditorSettings patch;
    if (!SetPatchEditorFirstStart(patch, dir.path().toStdString()).ok()) return false;
    SaveSettings(store, kPatchEditorKey, PatchEditorTable(), StorageOf(patch), quiet, "Patch Editor");
    if (!store.sync()) return false;
    qputenv("VELDIN_SETTINGS", QByteArray::fromStdString(file));
    return true;
}

// "--tone-editor", "--patch-editor", "--midi-editor": the button of that editor, else 0.
int EditorOption(std::string_view a) {
    if (a == "--tone-editor") return kToneButton;
    if (a == "--patch-editor") return kPatchButton;
    if (a == "--midi-editor") return kMidiButton;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VELDIN"));
    QApplication::setOrganizationName(QStringLiteral("Brannick"));

    std::vector<std::string> args;
    QString screenshot;
    int startEditor = 0; // the desktop entry's actions start an editor without an image
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--screenshot" && i + 1 < argc) {
            screenshot = QString::fromLocal8Bit(argv[++i]);
            continue;
        }
        if (const auto e = EditorOption(argv[i]); e != 0) startEditor = e;
        args.emplace_back(argv[i]);
    }
    const CommandLineResult cmd = ParseCommandLine(args, FileExists, EditorForFile);

    // Headless screenshots ask nobody anything and do not take part in the single instance.
    ui::QtUserInteraction dialogs;
    ui::StderrInteraction console;
    UserInteraction& ui = screenshot.isEmpty() ? static_cast<UserInteraction&>(dialogs) : console;

    const QString appDir = QCoreApplication::applicationDirPath();
    const QString name = QString::fromStdString(SingleInstanceName(appDir.toStdString()));
    if (screenshot.isEmpty() && HandToRunning(name, cmd.opens)) {
        if (cmd.showUsage) ui.message(kUsage, kUsageTitle, Icon::Information);
        return 0;
    }

    // Headless screenshots neither read nor write the user's settings.
    QTemporaryDir screenshotDir;
    const InstallLayout layout = LayoutAround(appDir.toStdString());
    if (!screenshot.isEmpty() && !PrepareScreenshotSettings(screenshotDir, layout)) {
        std::fprintf(stderr, "veldin: cannot prepare settings for the screenshots\n");
        return 1;
    }
    QtLibraryLoader loader(QString::fromStdString(layout.moduleDir.string()));
    LauncherWindow window(ui, loader, 2);
    // Listening comes before anything that can show a message: the update client must
    // find a launcher that waits behind a box before it replaces the launcher's files.
    if (screenshot.isEmpty() && !window.listen(name))
        std::fprintf(stderr, "veldin: cannot listen as %s\n", name.toLocal8Bit().constData());
    window.show();
    auto store = std::make_unique<QtSettingsStore>();
    // A portable folder is its own main directory; a system installation keeps the user's
    // files in the user's data folder.
    const auto userData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
    window.start(store.get(), DefaultMainDirectory(layout, userData));
    for (const OpenRequest& r : cmd.opens) window.openRequest(r);
    if (cmd.showUsage) ui.message(kUsage, kUsageTitle, Icon::Information);
    // Not while the first run's Options dialog waits: a module would find no settings.
    if (startEditor != 0 && !QApplication::activeModalWidget())
        if (BitmapButton* b = window.button(startEditor)) b->press();

    if (!screenshot.isEmpty()) {
        // Module frames get room to show a whole document window.
        QTimer::singleShot(100, &window, [] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName().startsWith(QLatin1String("ModuleFrame"))) top->resize(720, 520);
        });
        QTimer::singleShot(400, &window, [&window, screenshot] {
            const bool saved = SaveScreenshots(window, screenshot);
            window.host().closeAll();
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
