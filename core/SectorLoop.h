#pragma once
// The sector loop: whole sectors in runs of consecutive sectors, with a number of
// attempts per sector, the Sector Invalid question when a sector fails them all, the
// automatic ignoring of bad sectors, a progress report after every sector and a stop
// request.
//
// The loop runs on whatever thread calls it (the launcher's floppy worker). The
// user-interface thread writes the stop request and the auto-ignore flag while it runs,
// so those are atomics; progress reports and the question are calls into interfaces
// that the GUI marshals to its own thread (blocking, so the meaning stays synchronous).

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/FloppyDevice.h"
#include "core/Result.h"
#include "core/UserInteraction.h"

namespace veldin {

enum class TransferState : std::uint8_t {
    Prepared = 0,  // drive opened, waiting for the user's start
    Succeeded = 1,
    Running = 2,
    Cancelled = 3, // ended by the stop request (or a cancelled file dialog)
    Failed = 4,
};

inline constexpr std::uint8_t kDefaultIoRepeat = 3;

// The module-wide values of the loop.
struct SectorLoopControl {
    std::uint8_t ioRepeat = kDefaultIoRepeat; // attempts per sector before the user is asked
    std::atomic<bool> autoIgnore{false};      // skip sectors that fail every attempt without asking
    std::atomic<bool> stopRequest{false};
    std::atomic<TransferState> state{TransferState::Prepared};
};

// Attempts for a stored IO repeat count. Every sector needs at least one attempt, so a
// stored 0 means one.
constexpr int AttemptsPerSector(std::uint8_t ioRepeat) { return ioRepeat == 0 ? 1 : ioRepeat; }

// Told after each sector, done or skipped, with the number of sectors of this call
// finished before it (0 for the first).
class SectorProgress {
public:
    virtual ~SectorProgress() = default;
    virtual void progress(std::uint32_t finished) = 0;
};

// Where the loop asks its question: the interaction of the program, titled with the
// program's name ("VELDIN" in the launcher).
struct LoopContext {
    SectorLoopControl& control;
    UserInteraction& ui;
    std::string_view title;
};

enum class LoopEnd : std::uint8_t {
    Completed, // every sector transferred or skipped
    Aborted,   // "Abort operation" (or the dialog closed)
    Stopped,   // the stop request ended the loop; the transfer state is then Cancelled
};

struct LoopReport {
    LoopEnd end = LoopEnd::Completed;
    std::vector<std::uint32_t> skipped; // sectors skipped (ignored) so far, in order

    bool completed() const { return end == LoopEnd::Completed; }
};

// The question asked when a sector fails every attempt: Retry, Ignore or Abort, with the
// text "Invalid Sector - N" (the dialog's title). The GUI's dialog also carries the
// "Automatically ignore bad sectors" box, which sets `SectorLoopControl::autoIgnore`
// directly. Any answer other than Retry or Ignore aborts and clears that flag.
std::string SectorInvalidText(std::uint32_t sector);

// Sectors `first` .. `first + count - 1` into (from) `buffer`, which holds count x 512
// bytes. Fails, with nothing transferred, on "IO: Not valid starting sector!" (first
// beyond 1440) or "IO: Not valid lenght!" (count beyond the last sector, or a buffer too
// small for it). A skipped sector leaves its 512 bytes of the buffer as they were
// (reading) or the sector on the medium as it was (writing).
Result<LoopReport> ReadSectors(FloppyDevice& device, std::int64_t first, std::int64_t count,
                               std::span<std::uint8_t> buffer, const LoopContext& context,
                               SectorProgress* progress = nullptr);
Result<LoopReport> WriteSectors(FloppyDevice& device, std::int64_t first, std::int64_t count,
                                std::span<const std::uint8_t> buffer, const LoopContext& context,
                                SectorProgress* progress = nullptr);

} // namespace veldin
