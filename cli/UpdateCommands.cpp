#include <fstream>
#include <iostream>
#include <ostream>

#include "core/FileRead.h"
#include "cli/Commands.h"
#include "update/AtomicWrite.h"
#include "update/ConsoleRun.h"
#include "update/PackedFile.h"
#include "update/UpdateMessages.h"

namespace veldin::cli {
namespace {

UpdateBackendFactory gBackendFactory = nullptr;

struct UpdateArgs {
    update::ConsoleOptions options;
    std::string problem; // a usage error, if any
};

UpdateArgs ParseUpdateArgs(const Args& args) {
    UpdateArgs r;
    auto& o = r.options;
    bool haveDir = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--server" && hasValue) {
            o.server = args[++i];
        } else if (a == "--dir" && hasValue) {
            o.installDir = args[++i];
            haveDir = true;
        } else if (a == "--proxy" && hasValue) {
            o.connection = update::ConnectionSettings{update::ConnectionType::NamedProxy, args[++i]};
        } else if (a == "--direct") {
            o.connection = update::ConnectionSettings{update::ConnectionType::Direct, ""};
        } else if (a == "--system-proxy") {
            o.connection = update::ConnectionSettings{update::ConnectionType::System, ""};
        } else if (a == "--ca-cert" && hasValue) {
            o.download.caCertificates.emplace_back(args[++i]);
        } else if (a == "--dry-run") {
            o.dryRun = true;
        } else if (a == "--yes") {
            o.answer = Answer::Yes;
        } else if (a == "--no") {
            o.answer = Answer::No;
        } else if (a == "--verbose") {
            o.verbose = true;
        } else {
            r.problem = "unknown or incomplete option '" + a + "'";
            return r;
        }
    }
    if (o.server.empty() || !haveDir) r.problem = "expects --server URL and --dir INSTALLDIR";
    return r;
}

std::optional<std::vector<std::uint8_t>> ReadWhole(const std::string& p) {
    auto bytes = ReadFileBytes(p);
    if (!bytes) return std::nullopt;
    return std::move(bytes).value();
}

} // namespace

void SetUpdateBackendFactory(UpdateBackendFactory factory) { gBackendFactory = factory; }

int RunUpdate(const Args& args, std::ostream& out, std::ostream& err) {
    auto parsed = ParseUpdateArgs(args);
    if (!parsed.problem.empty()) return UsageError(err, "update", parsed.problem);
    if (!gBackendFactory) {
        err << "veldin-cli: this build has no network support for 'update'\n";
        return kRefused;
    }
    auto backend = gBackendFactory();
    return update::RunConsoleUpdate(parsed.options, *backend, std::cin, out, err) == 0 ? kOk : kRefused;
}

int RunUnpack(const Args& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> paths;
    for (const auto& a : args) {
        if (a.starts_with("-")) return UsageError(err, "unpack", "unknown option '" + a + "'");
        paths.push_back(a);
    }
    if (paths.size() != 2) return UsageError(err, "unpack", "expects FILE_ and OUT");
    auto packed = ReadWhole(paths[0]);
    if (!packed) return Refuse(err, Fail("Couldn't open file!"));
    auto header = update::ReadPackedHeader(*packed);
    auto data = update::UnpackFile(*packed);
    if (!data) return Refuse(err, data.failure());
    if (!update::ReplaceFileAtomically(paths[1], *data)) return Refuse(err, Fail("Couldn't create new file!"));
    out << paths[1] << ": " << data->size() << " bytes from " << packed->size() << " packed ("
        << (header->form == update::PackedForm::Safe ? "24-byte header, CRCs checked" : "8-byte header") << ")\n";
    return kOk;
}

} // namespace veldin::cli
