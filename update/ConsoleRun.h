#pragma once
// The update as the console programs run it (the update client without its dialog, and
// veldin-cli update): close a running launcher of the installation, fetch the update
// details, print the plan (dry run) or update, and print what happened.

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "core/UserInteraction.h"
#include "update/Backend.h"
#include "update/Updater.h"

namespace veldin::update {

struct ConsoleOptions {
    std::string server;
    std::filesystem::path installDir;
    bool dryRun = false;
    bool verbose = false;                         // the detail lines too
    std::optional<Answer> answer;                 // --yes / --no instead of reading the input
    std::optional<ConnectionSettings> connection; // else the stored settings
    DownloadOptions download;
};

// 0 when everything needed was updated (or, dry, planned); 1 otherwise.
int RunConsoleUpdate(const ConsoleOptions& options, UpdateBackend& backend, std::istream& in, std::ostream& out,
                     std::ostream& err);

// The plan as a table: "fetch"/"keep"/"skip"/"refuse", name, kind, version, reason.
void PrintPlan(std::ostream& out, const std::vector<PlannedFile>& plan);

} // namespace veldin::update
