#include "update/Decision.h"

namespace veldin::update {

Decision Decide(const Entry& entry, const Installed& installed) {
    switch (entry.kind) {
    case static_cast<std::uint32_t>(EntryKind::Forced): return {true, "forced"};
    case static_cast<std::uint32_t>(EntryKind::Registry): return {true, "settings file, always imported"};
    case static_cast<std::uint32_t>(EntryKind::Launch): return {true, "opened after download"};
    case static_cast<std::uint32_t>(EntryKind::Normal): break;
    default: return {false, "unknown kind " + std::to_string(entry.kind) + ", skipped"};
    }
    if (!installed.exists) return {true, "not installed"};
    if (!installed.version) return {true, "installed file carries no version"};
    const FileVersion& have = *installed.version;
    const bool current = have.high > entry.version.high || (have.high == entry.version.high && have.low >= entry.version.low);
    if (current) return {false, "installed " + have.toString() + " is current"};
    return {true, "installed " + have.toString() + " is older"};
}

} // namespace veldin::update
