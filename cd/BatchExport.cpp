#include "cd/BatchExport.h"

#include <algorithm>

#include "cd/CdMessages.h"
#include "core/Messages.h"

namespace veldin::cd {
namespace {

namespace fs = std::filesystem;

// At most this many failed sounds are named in the summary, so that its box fits the
// screen even when a whole disc fails.
constexpr std::size_t kSummaryProblems = 10;

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return s;
}

// A reason as one line of the list: the read error's text ends in "\r\n\r\n".
std::string OneLine(std::string_view reason) {
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' || reason.back() == ' '))
        reason.remove_suffix(1);
    std::string line(reason);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return line;
}

std::string Images(std::size_t n) {
    return std::to_string(n) + " " + std::string(n == 1 ? text::kBatchImage : text::kBatchImages);
}

} // namespace

BatchPlan PlanBatch(const CdTables& tables, std::optional<std::size_t> group) {
    BatchPlan plan;
    std::set<std::size_t> seen;
    const auto add = [&](std::size_t g) {
        auto list = SoundsOfGroup(tables, g);
        if (!list) {
            plan.problems.push_back({"group " + std::to_string(g + 1), list.failure().text});
            return;
        }
        for (std::size_t index : *list)
            if (seen.insert(index).second) plan.items.push_back({index, tables.sounds[index].text()});
    };
    if (group) {
        add(*group);
    } else {
        for (std::size_t g = 0; g < tables.groups.size(); ++g)
            add(g);
    }
    return plan;
}

BatchNames::BatchNames(fs::path folder, std::string_view extension)
    : folder_(std::move(folder)), extension_(extension) {}

bool BatchNames::free(const std::string& fileName) const {
    if (given_.contains(Lower(fileName))) return false;
    // A dangling link is taken too: the rename that writes the image would replace it.
    std::error_code ec;
    return !fs::exists(fs::symlink_status(folder_ / fileName, ec));
}

fs::path BatchNames::next(std::string_view listText) {
    const std::string stem = FileNameOf(listText);
    std::string name = stem + "." + extension_;
    for (int n = 2; !free(name); ++n)
        name = stem + " (" + std::to_string(n) + ")." + extension_;
    given_.insert(Lower(name));
    return folder_ / name;
}

void BatchNames::release(const fs::path& given) { given_.erase(Lower(given.filename().string())); }

std::uint64_t BatchBlocks(const CdTables& tables, const BatchPlan& plan) {
    std::uint64_t blocks = 0;
    for (const BatchItem& item : plan.items) {
        const SoundRecord& s = tables.sounds[item.record];
        if (CheckSoundArea(s, tables.discUnits)) blocks += BlocksForUnits(s.firstUnit, s.units).blocks;
    }
    return blocks;
}

Result<BatchSummary> ExportBatch(DiscSource& disc, const CdTables& tables, const BatchPlan& plan, SamplerFamily family,
                                 const fs::path& mainDir, const fs::path& folder, const ReadProgress& progress,
                                 const std::function<bool()>& cancelled) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return Fail(text::kCantCreateFile, Icon::Error);
    auto templateBytes = ReadTemplate(mainDir, family);
    if (!templateBytes) return templateBytes.failure();
    BatchSummary summary;
    summary.planned = plan.items.size();
    summary.failed = plan.problems;
    const auto stopped = [&] { return cancelled && cancelled(); };
    BatchNames names(folder, InfoOf(family).extension);
    const std::uint64_t total = BatchBlocks(tables, plan);
    std::uint64_t before = 0; // blocks of the areas already done
    for (const BatchItem& item : plan.items) {
        if (stopped()) {
            summary.cancelled = true;
            break;
        }
        const SoundRecord& sound = tables.sounds[item.record];
        const fs::path target = names.next(item.text);
        const auto st = WriteSoundArea(disc, sound, *templateBytes, target, [&](std::uint64_t done, std::uint64_t) {
            if (progress) progress(before + done, total);
        });
        if (CheckSoundArea(sound, tables.discUnits)) before += BlocksForUnits(sound.firstUnit, sound.units).blocks;
        if (st) {
            summary.written.push_back(target);
        } else {
            names.release(target);
            if (stopped()) {
                summary.cancelled = true;
                break;
            }
            summary.failed.push_back({item.text, st.failure().text});
        }
        if (progress) progress(before, total);
    }
    return summary;
}

std::string SummaryText(const BatchSummary& s, const fs::path& folder) {
    std::string out = s.cancelled ? std::string(text::kBatchCancelled) : std::string();
    if (s.written.size() == s.planned && !s.cancelled)
        out += Images(s.planned);
    else
        out += std::to_string(s.written.size()) + " of " + Images(s.planned);
    out += " " + std::string(text::kBatchWrittenTo) + "\n" + folder.string();
    if (s.failed.empty()) return out;
    out += "\n\n" + std::string(text::kBatchNotWritten);
    for (std::size_t i = 0; i < std::min(s.failed.size(), kSummaryProblems); ++i)
        out += "\n" + s.failed[i].what + ": " + OneLine(s.failed[i].reason);
    if (s.failed.size() > kSummaryProblems) {
        std::string more(text::kBatchMore);
        more.replace(more.find("%d"), 2, std::to_string(s.failed.size() - kSummaryProblems));
        out += "\n" + more;
    }
    return out;
}

Icon SummaryIcon(const BatchSummary& s) { return s.failed.empty() ? Icon::Information : Icon::Warning; }

} // namespace veldin::cd
