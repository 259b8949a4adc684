// The update client without its dialog: update --console [--server URL] [--dir DIR]
// [--dry-run] [--yes|--no] [--verbose] [--ca-cert FILE]. Without --dir the installation
// directory is the launcher's "Main Path"; without --server the base URL is the stored
// "Update Server".
#include "update/net/ConsoleMain.h"

#include <QCoreApplication>

#include <iostream>

#include "core/FileVersion.h"
#include "core/InstallLayout.h"
#include "update/ConsoleRun.h"
#include "update/ConsoleView.h"
#include "update/UpdateMessages.h"
#include "update/net/QtBackend.h"

namespace {

constexpr std::string_view kUsage =
    "Usage: update [--server URL] [--dir DIR] [--ca-cert FILE]\n"
    "       update --console [--server URL] [--dir DIR] [--dry-run] [--yes|--no] [--verbose]\n"
    "\n"
    "Brings the VELDIN installation up to date from the update server: in its window,\n"
    "or with --console on the terminal.\n"
    "  --server URL    base URL of the update folder (default: the stored \"Update Server\")\n"
    "  --dir DIR       installation directory (default: the launcher's \"Main Path\")\n"
    "  --ca-cert FILE  also trust this certificate for https\n"
    "  --dry-run       only show what would be fetched and why\n"
    "  --yes, --no     answer questions (closing a running VELDIN) without asking\n"
    "  --verbose       show the download details as well\n";

} // namespace

namespace veldin::update {

std::string_view UpdateUsage() { return kUsage; }

int ConsoleMain(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ConsoleOptions o;
    std::optional<std::string> dir;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (a == "--version") {
            std::cout << "update " << veldin::BuiltFileVersion() << '\n';
            return 0;
        } else if (a == "--server" && i + 1 < argc) {
            o.server = argv[++i];
        } else if (a == "--dir" && i + 1 < argc) {
            dir = argv[++i];
        } else if (a == "--dry-run") {
            o.dryRun = true;
        } else if (a == "--yes") {
            o.answer = Answer::Yes;
        } else if (a == "--no") {
            o.answer = Answer::No;
        } else if (a == "--verbose") {
            o.verbose = true;
        } else if (a == "--ca-cert" && i + 1 < argc) {
            o.download.caCertificates.emplace_back(argv[++i]);
        } else if (a == "--console") {
        } else {
            std::cerr << "update: unknown option '" << a << "'\n" << kUsage;
            return 2;
        }
    }
    // Only a folder named with --dir, or a portable installation, is ours to replace.
    if (!dir && veldin::RunningLayout().kind == veldin::InstallKind::System) {
        std::cerr << text::kTitle << ": " << text::kSystemInstall << '\n';
        return 1;
    }
    auto backend = MakeQtBackend();
    if (dir) {
        o.installDir = *dir;
    } else {
        auto installed = ReadInstallDir(backend->settings());
        if (!installed) {
            std::cerr << text::kTitle << ": " << PlainLines(installed.failure().text) << '\n';
            return 1;
        }
        o.installDir = *installed;
    }
    if (o.server.empty()) {
        auto stored = ReadServerUrl(backend->settings());
        if (!stored) {
            std::cerr << text::kTitle << ": " << text::kNoServer << '\n';
            return 2;
        }
        o.server = *stored;
    }
    return RunConsoleUpdate(o, *backend, std::cin, std::cout, std::cerr);
}

} // namespace veldin::update
