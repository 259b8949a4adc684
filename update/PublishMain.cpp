// veldin-publish DIR OUT [--kind NAME=KIND]...: makes an update folder from DIR.
#include <iostream>
#include <map>
#include <string>

#include "core/FileVersion.h"
#include "update/ConsoleView.h"
#include "update/Publish.h"

namespace {

constexpr std::string_view kUsage =
    "Usage: veldin-publish DIR OUT [--kind NAME=KIND]...\n"
    "\n"
    "Packs every file of DIR into OUT under its packed name (last character \"_\") and\n"
    "writes OUT/veldin.ver. A file carrying a file version is \"Normal\" (fetched when the\n"
    "installed one is older), a .reg file \"Registry\", any other \"Forced\" (fetched on\n"
    "every update). --kind sets the kind of one file: Forced, Normal, Registry or Launch.\n";

} // namespace

int main(int argc, char** argv) {
    using namespace veldin::update;
    std::vector<std::string> paths;
    std::map<std::string, EntryKind> kinds;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (a == "--version") {
            std::cout << "veldin-publish " << veldin::BuiltFileVersion() << '\n';
            return 0;
        }
        if (a == "--kind" && i + 1 < argc) {
            const std::string setting = argv[++i];
            const auto eq = setting.rfind('=');
            const auto kind = eq == std::string::npos ? std::nullopt : KindFromName(setting.substr(eq + 1));
            if (!kind) {
                std::cerr << "veldin-publish: --kind expects NAME=Forced|Normal|Registry|Launch\n";
                return 2;
            }
            kinds[setting.substr(0, eq)] = *kind;
        } else if (a.starts_with("-")) {
            std::cerr << "veldin-publish: unknown option '" << a << "'\n" << kUsage;
            return 2;
        } else {
            paths.push_back(a);
        }
    }
    if (paths.size() != 2) {
        std::cerr << kUsage;
        return 2;
    }
    auto published = Publish(paths[0], paths[1], kinds);
    if (!published) {
        std::cerr << "veldin-publish: " << PlainLines(published.failure().text) << '\n';
        return 1;
    }
    for (const auto& f : *published) {
        std::cout << f.packedName << "  " << KindName(f.entry.kind) << "  " << f.entry.version.toString() << "  "
                  << f.entry.size << " -> " << f.entry.packedSize << " bytes\n";
    }
    std::cout << published->size() << " files, " << kVersionFileName << " written to " << paths[1] << '\n';
    return 0;
}
