#include "update/ConsoleRun.h"

#include <iomanip>
#include <ostream>

#include "update/ConsoleView.h"
#include "update/LauncherClose.h"
#include "update/TrustedKeys.h"
#include "update/UpdateMessages.h"

namespace veldin::update {

void PrintPlan(std::ostream& out, const std::vector<PlannedFile>& plan) {
    std::size_t width = 4;
    for (const auto& f : plan) width = std::max(width, f.fullName.size());
    for (const auto& f : plan) {
        const char* what = !f.safeName ? "refuse" : f.decision.fetch ? "fetch" : f.entry.knownKind() ? "keep" : "skip";
        const std::string kind = f.entry.knownKind() ? std::string(KindName(f.entry.kind)) : "kind " + std::to_string(f.entry.kind);
        out << std::left << std::setw(7) << what << std::setw(static_cast<int>(width) + 2) << f.fullName << std::setw(10)
            << kind << std::setw(24) << f.entry.version.toString() << f.decision.why << '\n';
    }
}

int RunConsoleUpdate(const ConsoleOptions& o, UpdateBackend& backend, std::istream& in, std::ostream& out,
                     std::ostream& err) {
    ConsoleUi ui(in, err, o.answer);
    if (!o.dryRun) {
        auto launcher = backend.launcher(o.installDir);
        const CloseOutcome closed = CloseRunningLauncher(*launcher, ui);
        if (closed == CloseOutcome::Declined || closed == CloseOutcome::Failed) {
            err << "Update not started: VELDIN is still running.\n";
            return 1;
        }
    }
    const ConnectionSettings connection = o.connection ? *o.connection : LoadConnection(backend.settings());
    auto downloader = backend.downloader(connection, o.download);
    ConsoleView view(out, o.verbose);
    auto summary = RunUpdate({o.server, o.installDir, o.dryRun, TrustedKeys(backend.settings(), ui)},
                             {*downloader, view, ui, backend.settings(), backend.shell()});
    if (!summary) return 1;
    if (o.dryRun) {
        PrintPlan(out, summary->plan);
        return 0;
    }
    const std::size_t current = summary->plan.size() - summary->updated.size() - summary->failed.size();
    out << summary->updated.size() << " updated, " << summary->failed.size() << " failed, " << current
        << " up to date or skipped\n";
    return summary->failed.empty() ? 0 : 1;
}

} // namespace veldin::update
