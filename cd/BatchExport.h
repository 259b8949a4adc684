#pragma once
// Exporting many sound areas in one go: the sounds of one instrument group, or of the
// whole disc, into one folder as disk images of one sampler family. Each image is
// named after its list text ("category - name"), made safe for a file name; a name that
// is taken gets " (2)", " (3)", ... so that no image of the batch and no file already in
// the folder is ever replaced.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cd/CdTables.h"
#include "cd/SoundAreaExport.h"
#include "core/Result.h"

namespace veldin::cd {

struct BatchItem {
    std::size_t record = 0; // index into CdTables::sounds
    std::string text;       // the list text
};

struct BatchProblem {
    std::string what;   // the list text of a sound, or "group N"
    std::string reason; // the fixed text of the failure
};

struct BatchPlan {
    std::vector<BatchItem> items;
    std::vector<BatchProblem> problems; // groups whose sounds cannot be listed
};

// The sounds of group `group` (from 0), or of every group when it is empty, in the
// order of the lists; a record that two groups list is exported once.
BatchPlan PlanBatch(const CdTables& tables, std::optional<std::size_t> group = std::nullopt);

// Hands out the file names of one batch in one folder.
class BatchNames {
public:
    BatchNames(std::filesystem::path folder, std::string_view extension);
    // "<FileNameOf(text)>.<extension>", or the first of "<name> (2).<extension>", ...
    // that neither this batch gave out (compared without regard to letter case, for
    // folders that ignore it) nor the folder holds.
    std::filesystem::path next(std::string_view listText);
    // Gives back a name whose image was not written, for a later sound of that text.
    void release(const std::filesystem::path& given);

private:
    bool free(const std::string& fileName) const;
    std::filesystem::path folder_;
    std::string extension_;
    std::set<std::string> given_; // lower-case
};

struct BatchSummary {
    std::vector<std::filesystem::path> written;
    std::vector<BatchProblem> failed; // the plan's problems first, then the sounds
    std::size_t planned = 0;          // sounds in the plan
    bool cancelled = false;
};

// Blocks of 2,048 bytes that the batch reads: the range of its progress. Areas that
// cannot be exported read nothing and count nothing.
std::uint64_t BatchBlocks(const CdTables& tables, const BatchPlan& plan);

// Writes the plan's images into `folder`. A folder that is not there fails the batch
// with "Couldn't create new file!"; the template is read next, and without it the batch
// fails with "Can't copy temporary file!"; either way nothing is read. An area
// that fails is listed with its reason and the batch goes on. `progress` counts blocks
// over the whole batch. Once `cancelled` answers true, the area being read is given up
// (a failed read while cancelled is no failure) and no further area is started.
Result<BatchSummary> ExportBatch(DiscSource& disc, const CdTables& tables, const BatchPlan& plan, SamplerFamily family,
                                 const std::filesystem::path& mainDir, const std::filesystem::path& folder,
                                 const ReadProgress& progress = {}, const std::function<bool()>& cancelled = {});

// What the person is told at the end: how many images were written where, whether the
// batch was cancelled, and which sounds failed and why (the first ten of them).
std::string SummaryText(const BatchSummary& summary, const std::filesystem::path& folder);
// Information when every planned sound was written or the rest was cancelled, warning
// when something failed.
Icon SummaryIcon(const BatchSummary& summary);

} // namespace veldin::cd
