#include "core/SectorLoop.h"

#include <algorithm>
#include <array>

#include "core/Messages.h"

namespace veldin {
namespace {

Status CheckRange(std::int64_t first, std::int64_t count, std::size_t bufferSize) {
    if (first < 0 || first > kSectorCount) return Fail(text::kBadStartSector);
    if (count < 0 || count > kSectorCount - first) return Fail(text::kBadLength);
    if (static_cast<std::uint64_t>(count) * kSectorSize > bufferSize) return Fail(text::kBadLength);
    return {};
}

enum class Verdict { Again, Skip, Abort };

// What to do with a sector whose attempts are used up.
Verdict AfterLastAttempt(std::uint32_t sector, const LoopContext& ctx) {
    if (ctx.control.autoIgnore.load()) return Verdict::Skip;
    switch (ctx.ui.ask(SectorInvalidText(sector), ctx.title, Buttons::RetryIgnoreAbort, Icon::Warning)) {
    case Answer::Retry: return Verdict::Again;
    case Answer::Ignore: return Verdict::Skip;
    default:
        ctx.control.autoIgnore.store(false);
        return Verdict::Abort;
    }
}

// The loop itself; `transfer(sector, index)` makes one attempt at one sector.
template <class Transfer>
Result<LoopReport> RunLoop(std::int64_t first, std::int64_t count, const LoopContext& ctx, SectorProgress* progress,
                           Transfer&& transfer) {
    const int fullAttempts = AttemptsPerSector(ctx.control.ioRepeat);
    LoopReport report;
    for (std::int64_t i = 0; i < count; ++i) {
        const auto sector = static_cast<std::uint32_t>(first + i);
        const auto index = static_cast<std::size_t>(i);
        // Every sector gets the full count: a count shared across the call would let a few
        // weak sectors use it up and declare a readable sector bad (and, with auto-ignore,
        // leave its bytes out silently). Retry starts a fresh count.
        int attempts = fullAttempts;
        for (;;) {
            if (transfer(sector, index)) break;
            if (--attempts > 0) continue;
            const Verdict v = AfterLastAttempt(sector, ctx);
            if (v == Verdict::Abort) {
                report.end = LoopEnd::Aborted;
                return report;
            }
            attempts = fullAttempts;
            if (v == Verdict::Skip) {
                report.skipped.push_back(sector);
                break;
            }
        }
        if (progress) progress->progress(static_cast<std::uint32_t>(i));
        if (ctx.control.stopRequest.load()) {
            ctx.control.state.store(TransferState::Cancelled);
            report.end = LoopEnd::Stopped;
            return report;
        }
    }
    return report;
}

} // namespace

std::string SectorInvalidText(std::uint32_t sector) {
    return std::string(text::kInvalidSectorPrefix) + std::to_string(sector);
}

Result<LoopReport> ReadSectors(FloppyDevice& device, std::int64_t first, std::int64_t count,
                               std::span<std::uint8_t> buffer, const LoopContext& context, SectorProgress* progress) {
    if (auto range = CheckRange(first, count, buffer.size()); !range) return range.failure();
    // A failed attempt may leave anything behind; only a good sector reaches the buffer.
    std::array<std::uint8_t, kSectorSize> scratch{};
    return RunLoop(first, count, context, progress, [&](std::uint32_t sector, std::size_t index) {
        if (!device.readSector(sector, scratch)) return false;
        std::copy(scratch.begin(), scratch.end(), buffer.begin() + static_cast<std::ptrdiff_t>(index * kSectorSize));
        return true;
    });
}

Result<LoopReport> WriteSectors(FloppyDevice& device, std::int64_t first, std::int64_t count,
                                std::span<const std::uint8_t> buffer, const LoopContext& context,
                                SectorProgress* progress) {
    if (auto range = CheckRange(first, count, buffer.size()); !range) return range.failure();
    return RunLoop(first, count, context, progress, [&](std::uint32_t sector, std::size_t index) {
        return device.writeSector(sector, buffer.subspan(index * kSectorSize).first<kSectorSize>());
    });
}

} // namespace veldin
