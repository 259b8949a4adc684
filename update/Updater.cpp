#include "update/Updater.h"

#include "update/AtomicWrite.h"
#include "update/PackedFile.h"
#include "update/SafeName.h"
#include "update/SettingsFile.h"
#include "update/UpdateMessages.h"
#include "update/Url.h"

namespace veldin::update {
namespace fs = std::filesystem;
namespace {

Installed Inspect(const fs::path& path) {
    Installed in;
    std::error_code ec;
    in.exists = fs::is_regular_file(path, ec);
    if (in.exists) in.version = ReadFileVersion(path);
    return in;
}

class EntryRun {
public:
    EntryRun(const UpdateRequest& r, UpdateServices s, UpdateSummary& summary) : r_(r), s_(s), summary_(summary) {}

    void process(const PlannedFile& f) {
        if (!f.safeName) {
            s_.ui.message(std::string(text::kUnsafeName) + f.fullName, text::kTitle, Icon::Warning);
            summary_.failed.push_back(f.fullName);
            return;
        }
        if (!f.decision.fetch) {
            s_.view.status(text::kUpdatePerformed);
            return;
        }
        s_.view.addRow(RowFor(f));
        s_.view.status(text::kUpdatingFiles);
        if (!install(f)) {
            s_.view.status(std::string(text::kFileNotUpdated) + f.fullName + "!");
            summary_.failed.push_back(f.fullName);
            return;
        }
        summary_.updated.push_back(f.fullName);
        s_.view.status(text::kUpdatePerformed);
    }

private:
    bool install(const PlannedFile& f) {
        DownloadProgress progress(s_.view);
        auto packed = s_.downloader.fetch(JoinUrl(r_.serverUrl, f.packedName), progress);
        if (!packed) return false;
        auto data = UnpackFile(*packed);
        if (!data) {
            s_.ui.report(data.failure(), text::kTitle);
            return false;
        }
        const fs::path target = r_.installDir / fs::path(f.fullName);
        if (!ReplaceFileAtomically(target, *data)) return false;
        if (f.entry.kind == static_cast<std::uint32_t>(EntryKind::Registry)) {
            const Status imported = ImportSettingsFile(*data, s_.settings, s_.ui);
            if (!imported) {
                s_.ui.report(imported.failure(), text::kTitle);
                return false;
            }
        } else if (f.entry.kind == static_cast<std::uint32_t>(EntryKind::Launch) && !s_.shell.open(target)) {
            s_.ui.message(std::string(text::kCantLaunch) + target.string(), text::kTitle, Icon::Warning);
        }
        return true;
    }

    const UpdateRequest& r_;
    UpdateServices s_;
    UpdateSummary& summary_;
};

} // namespace

std::vector<PlannedFile> PlanUpdate(const VersionFile& details, const fs::path& installDir) {
    std::vector<PlannedFile> plan;
    for (const auto& e : details.entries) {
        PlannedFile f;
        f.entry = e;
        f.fullName = e.fullName();
        f.packedName = PackedName(f.fullName);
        f.safeName = IsSafeFileName(f.fullName) && IsSafeFileName(f.packedName);
        if (f.safeName) {
            f.installed = Inspect(installDir / fs::path(f.fullName));
            f.decision = Decide(e, f.installed);
        } else {
            f.decision = {false, "refused: the name leaves the installation directory"};
        }
        plan.push_back(std::move(f));
    }
    return plan;
}

FetchRow RowFor(const PlannedFile& f) {
    return {f.fullName, std::string(KindName(f.entry.kind)), f.entry.version.toString(),
            std::to_string(f.entry.size) + " b", std::to_string(f.entry.packedSize) + " b"};
}

Result<UpdateSummary> RunUpdate(const UpdateRequest& request, UpdateServices s) {
    s.view.status(text::kConnecting);
    DownloadProgress progress(s.view);
    auto bytes = s.downloader.fetch(JoinUrl(request.serverUrl, kVersionFileName), progress);
    if (!bytes) {
        s.view.status(text::kConnectionFailed);
        return Fail(text::kConnectionFailed);
    }
    s.view.status(text::kDetailsDownloaded);
    auto details = ParseVersionFile(*bytes);
    if (!details) {
        s.view.status(text::kDetailsCorrupted);
        return details.failure();
    }
    UpdateSummary summary;
    summary.plan = PlanUpdate(*details, request.installDir);
    if (request.dryRun) return summary;

    EntryRun run(request, s, summary);
    for (const auto& f : summary.plan) run.process(f);
    if (!summary.failed.empty()) s.view.status(text::kSomeFilesFailed);
    return summary;
}

} // namespace veldin::update
