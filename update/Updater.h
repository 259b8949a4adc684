#pragma once
// One run of the update: fetch the update details and their signed manifest, decide for
// every entry, fetch and unpack everything needed, and only when every fetched file is
// the one the manifest lists, replace the installed files; settings files are then
// imported and "Launch" files opened. An update that is not signed by a trusted key, or
// whose files differ from what was signed, changes nothing. The run talks to the user through the view (status lines, list,
// progress) and the UserInteraction (message boxes).

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "core/Result.h"
#include "core/Settings.h"
#include "core/UserInteraction.h"
#include "update/Decision.h"
#include "update/Interfaces.h"
#include "update/Signing.h"
#include "update/VersionFile.h"

namespace veldin::update {

struct PlannedFile {
    Entry entry;
    std::string fullName;
    std::string packedName;
    bool safeName = false; // false: refused, nothing is written for it
    Installed installed;
    Decision decision;
};

// The decision for every entry, against the files in `installDir`.
std::vector<PlannedFile> PlanUpdate(const VersionFile& details, const std::filesystem::path& installDir);

// The list row of a fetched file; versions are shown in full ("1.2.300.4").
FetchRow RowFor(const PlannedFile& file);

struct UpdateRequest {
    std::string serverUrl; // base URL; the details are at serverUrl + "veldin.ver"
    std::filesystem::path installDir;
    bool dryRun = false;   // plan only (the signature is still checked)
    std::vector<PublicKey> trustedKeys;
    // Set from another thread (the dialog closing): no further file is fetched, and
    // when it comes before the files are installed, none is.
    const std::atomic<bool>* stop = nullptr;
};

struct UpdateSummary {
    std::vector<PlannedFile> plan;
    std::vector<std::string> updated; // full names replaced
    std::vector<std::string> failed;  // full names that could not be replaced (or refused)
};

struct UpdateServices {
    Downloader& downloader;
    UpdateView& view;
    UserInteraction& ui;
    SettingsStore& settings;
    DesktopShell& shell;
};

// Fails (with the text that the main status line shows) when the update details could
// not be fetched or read, or the update is not the one its publisher signed; nothing is
// installed then. Failures of single files are in the summary.
Result<UpdateSummary> RunUpdate(const UpdateRequest& request, UpdateServices services);

} // namespace veldin::update
