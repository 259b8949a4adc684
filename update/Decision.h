#pragma once
// Whether one entry of the update details is fetched, and why.

#include <optional>
#include <string>

#include "update/FileVersion.h"
#include "update/VersionFile.h"

namespace veldin::update {

// What is known of the installed file of the same full name.
struct Installed {
    bool exists = false;
    std::optional<FileVersion> version;
};

struct Decision {
    bool fetch = false;
    std::string why; // for the command line's dry run: "forced", "installed 1.0.0.3 is older", ...
};

// "Forced", "Registry" and "Launch" are always fetched. "Normal" is fetched unless the
// installed file carries a version at least the entry's (high word greater, or equal with
// a low word not smaller). Any other kind is skipped.
Decision Decide(const Entry& entry, const Installed& installed);

} // namespace veldin::update
