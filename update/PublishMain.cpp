// veldin-publish --key KEY DIR OUT [--kind NAME=KIND]...: makes a signed update folder
// from DIR. veldin-publish --make-key KEY: makes a signing key.
#include <iostream>
#include <map>
#include <string>

#include "core/FileVersion.h"
#include "update/AtomicWrite.h"
#include "update/ConsoleView.h"
#include "update/Manifest.h"
#include "update/Publish.h"
#include "update/UpdateMessages.h"

namespace {

constexpr std::string_view kUsage =
    "Usage: veldin-publish --key KEY DIR OUT [--kind NAME=KIND]...\n"
    "       veldin-publish --make-key KEY\n"
    "\n"
    "Packs every file of DIR into OUT under its packed name (last character \"_\"),\n"
    "writes OUT/veldin.ver and signs the list of all of them, with their SHA-256 and\n"
    "modes, into OUT/veldin.manifest with the Ed25519 private key KEY (a PEM file). A\n"
    "file carrying a file version is \"Normal\" (fetched when the installed one is older),\n"
    "a .reg file \"Registry\", any other \"Forced\" (fetched on every update). --kind sets\n"
    "the kind of one file: Forced, Normal, Registry or Launch.\n"
    "\n"
    "--make-key writes a new private key to KEY (readable by you only) and its public\n"
    "key, 64 hex digits, to KEY.pub. Clients install only updates signed with their\n"
    "built-in key or a key listed in their setting \"Update Keys\".\n";

int MakeKey(const std::string& file) {
    using namespace veldin::update;
    const SigningKey key = SigningKey::Generate();
    const std::string pub = ToHex(key.publicKey()) + "\n";
    if (!key.save(file)) {
        std::cerr << "veldin-publish: " << text::kPublishCantWriteKey << file << '\n';
        return 1;
    }
    if (!ReplaceFileAtomically(file + ".pub", {reinterpret_cast<const std::uint8_t*>(pub.data()), pub.size()})) {
        std::cerr << "veldin-publish: " << text::kPublishCantWriteKey << file << ".pub\n";
        return 1;
    }
    std::cout << "private key " << file << ", public key " << file << ".pub: " << pub;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    using namespace veldin::update;
    std::vector<std::string> paths;
    std::map<std::string, EntryKind> kinds;
    std::string keyFile;
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
        if (a == "--make-key" && i + 1 < argc && argc == 3) return MakeKey(argv[++i]);
        if (a == "--key" && i + 1 < argc) {
            keyFile = argv[++i];
        } else if (a == "--kind" && i + 1 < argc) {
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
    if (paths.size() != 2 || keyFile.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    auto key = SigningKey::Load(keyFile);
    if (!key) {
        std::cerr << "veldin-publish: " << key.failure().text << '\n';
        return 1;
    }
    auto published = Publish(paths[0], paths[1], *key, kinds);
    if (!published) {
        std::cerr << "veldin-publish: " << PlainLines(published.failure().text) << '\n';
        return 1;
    }
    for (const auto& f : *published) {
        std::cout << f.packedName << "  " << KindName(f.entry.kind) << "  " << f.entry.version.toString() << "  "
                  << f.entry.size << " -> " << f.entry.packedSize << " bytes\n";
    }
    std::cout << published->size() << " files, " << kVersionFileName << " and " << kManifestFileName
              << " (signed with " << ToHex(key->publicKey()) << ") written to " << paths[1] << '\n';
    return 0;
}
