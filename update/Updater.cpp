#include "update/Updater.h"

#include "update/AtomicWrite.h"
#include "update/Manifest.h"
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

// A file that was fetched, found as signed and unpacked, waiting to be installed.
struct Prepared {
    const PlannedFile* file;
    std::vector<std::uint8_t> data;
    std::uint32_t mode;
};

class EntryRun {
public:
    EntryRun(const UpdateRequest& r, UpdateServices s, const Manifest& m, UpdateSummary& summary)
        : r_(r), s_(s), manifest_(m), summary_(summary) {}

    // Downloads and unpacks one entry. Fails only when the file is not the one signed,
    // which refuses the whole update; other failures are the file's own.
    Status prepare(const PlannedFile& f) {
        if (!f.safeName) {
            s_.ui.message(std::string(text::kUnsafeName) + f.fullName, text::kTitle, Icon::Warning);
            summary_.failed.push_back(f.fullName);
            return {};
        }
        if (!f.decision.fetch) {
            s_.view.status(text::kUpdatePerformed);
            return {};
        }
        s_.view.addRow(RowFor(f));
        s_.view.status(text::kUpdatingFiles);
        DownloadProgress progress(s_.view);
        auto packed = s_.downloader.fetch(JoinUrl(r_.serverUrl, f.packedName), progress);
        if (!packed) return notUpdated(f);
        if (Status signedAs = CheckFile(manifest_, f.packedName, *packed); !signedAs) return signedAs;
        auto data = UnpackFile(*packed);
        if (!data) {
            s_.ui.report(data.failure(), text::kTitle);
            return notUpdated(f);
        }
        prepared_.push_back({&f, std::move(*data), manifest_.find(f.packedName)->mode});
        return {};
    }

    void installAll() {
        for (const auto& p : prepared_) {
            if (install(p)) {
                summary_.updated.push_back(p.file->fullName);
                s_.view.status(text::kUpdatePerformed);
            } else {
                (void)notUpdated(*p.file);
            }
        }
    }

private:
    Status notUpdated(const PlannedFile& f) {
        s_.view.status(std::string(text::kFileNotUpdated) + f.fullName + "!");
        summary_.failed.push_back(f.fullName);
        return {};
    }

    bool install(const Prepared& p) {
        const PlannedFile& f = *p.file;
        const fs::path target = r_.installDir / fs::path(f.fullName);
        if (!ReplaceFileAtomically(target, p.data, p.mode)) return false;
        if (f.entry.kind == static_cast<std::uint32_t>(EntryKind::Registry)) {
            const Status imported = ImportSettingsFile(p.data, s_.settings, s_.ui);
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
    const Manifest& manifest_;
    UpdateSummary& summary_;
    std::vector<Prepared> prepared_;
};

// The update is not what its publisher signed: say why, and touch nothing.
Failure Refuse(UpdateServices& s, const Failure& why) {
    s.view.status(text::kDetailsCorrupted);
    s.ui.message(why.text, text::kTitle, Icon::Warning);
    return Fail(text::kDetailsCorrupted);
}

// The manifest of the server, signed by a trusted key and listing `details` as fetched.
Result<Manifest> FetchManifest(const UpdateRequest& request, UpdateServices& s, std::span<const std::uint8_t> details) {
    DownloadProgress progress(s.view);
    auto bytes = s.downloader.fetch(JoinUrl(request.serverUrl, kManifestFileName), progress);
    if (!bytes) return Refuse(s, Fail(text::kManifestMissing));
    auto manifest = ParseManifest(*bytes);
    if (!manifest) return Refuse(s, Fail(text::kManifestDamaged));
    if (Status ok = CheckSignature(*manifest, request.trustedKeys); !ok) return Refuse(s, ok.failure());
    if (Status ok = CheckNotOlder(*manifest, s.settings); !ok) return Refuse(s, ok.failure());
    if (Status ok = CheckFile(*manifest, kVersionFileName, details); !ok) return Refuse(s, ok.failure());
    return manifest;
}

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
    auto manifest = FetchManifest(request, s, *bytes);
    if (!manifest) return manifest.failure();
    auto details = ParseVersionFile(*bytes);
    if (!details) {
        s.view.status(text::kDetailsCorrupted);
        return details.failure();
    }
    UpdateSummary summary;
    summary.plan = PlanUpdate(*details, request.installDir);
    if (request.dryRun) return summary;

    EntryRun run(request, s, *manifest, summary);
    const auto stopped = [&] { return request.stop && request.stop->load(); };
    for (const auto& f : summary.plan) {
        if (stopped()) break;
        if (Status asSigned = run.prepare(f); !asSigned) {
            summary.failed.clear();
            return Refuse(s, asSigned.failure());
        }
    }
    if (stopped()) {
        s.view.status(text::kUpdateStopped);
        return Fail(text::kUpdateStopped);
    }
    run.installAll();
    RememberPublished(*manifest, s.settings);
    if (!summary.failed.empty()) s.view.status(text::kSomeFilesFailed);
    return summary;
}

} // namespace veldin::update
