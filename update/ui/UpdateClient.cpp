#include "update/ui/UpdateClient.h"

#include <QApplication>
#include <QMessageBox>

#include <iostream>

#include "core/FileVersion.h"
#include "core/InstallLayout.h"
#include "platform/QtSettingsStore.h"
#include "update/ConsoleView.h"
#include "update/LauncherClose.h"
#include "update/TrustedKeys.h"
#include "update/UpdateMessages.h"
#include "update/net/ConsoleMain.h"
#include "update/net/HttpDownloader.h"
#include "update/net/LocalLauncherControl.h"
#include "update/net/QtBackend.h"
#include "update/ui/UpdateDialog.h"

namespace veldin::update {
namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QMessageBox::Icon ToQt(Icon icon) {
    switch (icon) {
    case Icon::Error: return QMessageBox::Critical;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
    case Icon::Question: return QMessageBox::Question;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

struct WindowArgs {
    std::optional<std::filesystem::path> dir;
    std::string server;
    DownloadOptions download;
    bool usage = false;
};

WindowArgs ParseWindowArgs(int argc, char** argv) {
    WindowArgs a;
    for (int i = 1; i < argc; ++i) {
        const std::string s = argv[i];
        if (s == "--server" && i + 1 < argc)
            a.server = argv[++i];
        else if (s == "--dir" && i + 1 < argc)
            a.dir = argv[++i];
        else if (s == "--ca-cert" && i + 1 < argc)
            a.download.caCertificates.emplace_back(argv[++i]);
        else
            a.usage = true;
    }
    return a;
}

} // namespace

std::optional<ClientStart> PrepareClient(SettingsStore& store, UserInteraction& ui, LauncherControl& launcher,
                                         std::optional<std::filesystem::path> installDir) {
    auto dir = ReadInstallDir(store);
    if (!dir && !installDir) {
        ui.message(text::kNotInstalled, text::kTitle, Icon::Error);
        return std::nullopt;
    }
    ClientStart start{installDir ? *installDir : *dir, LoadConnection(store)};
    const CloseOutcome closed = CloseRunningLauncher(launcher, ui);
    if (closed == CloseOutcome::Declined || closed == CloseOutcome::Failed) return std::nullopt;
    return start;
}

void MessageBoxUi::message(std::string_view text, std::string_view title, Icon icon) {
    QMessageBox box(ToQt(icon), Q(title), Q(PlainLines(text)), QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

Answer MessageBoxUi::ask(std::string_view text, std::string_view title, Buttons, Icon icon) {
    QMessageBox box(ToQt(icon), Q(title), Q(PlainLines(text)), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

int UpdateProgramMain(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--console") return ConsoleMain(argc, argv);
        if (a == "--help" || a == "-h") {
            std::cout << UpdateUsage();
            return 0;
        }
        if (a == "--version") {
            std::cout << "update " << BuiltFileVersion() << '\n';
            return 0;
        }
    }
    const WindowArgs args = ParseWindowArgs(argc, argv);
    if (args.usage) {
        std::cerr << UpdateUsage();
        return 2;
    }
    // Only a folder named with --dir, or a portable installation, is ours to replace; a
    // system installation is the package manager's. Said on the terminal, and in a box
    // when there is a display to show one on.
    if (!args.dir && RunningLayout().kind == InstallKind::System) {
        std::cerr << text::kTitle << ": " << text::kSystemInstall << '\n';
        if ((qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) ||
            qEnvironmentVariable("QT_QPA_PLATFORM") == QStringLiteral("offscreen"))
            return 1;
        QApplication app(argc, argv);
        MessageBoxUi().message(text::kSystemInstall, text::kTitle, Icon::Information);
        return 1;
    }
    QApplication app(argc, argv);
    QtSettingsStore store;
    MessageBoxUi ui;
    const auto main = ReadInstallDir(store);
    LocalLauncherControl launcher(args.dir ? *args.dir : main ? *main : std::filesystem::path());
    const auto start = PrepareClient(store, ui, launcher, args.dir);
    if (!start) return 1;
    std::string server = args.server;
    if (server.empty()) server = ReadServerUrl(store).value_or("");

    QtSettingsStore workerStore;
    ProcessDesktopShell shell;
    const DownloadOptions download = args.download;
    UpdateDialog dialog({store, workerStore, ui, shell,
                         [download](const ConnectionSettings& c) { return std::make_unique<HttpDownloader>(c, download); }},
                        {start->installDir, server, TrustedKeys(store, ui)}, start->connection);
    dialog.show();
    return app.exec();
}

} // namespace veldin::update
