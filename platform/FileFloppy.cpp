#include "platform/FileFloppy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <map>
#include <thread>

#include "core/Messages.h"
#include "platform/PosixIo.h"

namespace veldin {
namespace {

constexpr std::uint32_t kMaxFailures = 1'000'000;
constexpr std::uint32_t kMaxSlowMs = 60'000;

// A whole decimal number within [0, max], nothing before or after it.
std::optional<std::uint32_t> Number(std::string_view s, std::uint32_t max) {
    std::uint32_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc{} || end != s.data() + s.size() || v > max) return std::nullopt;
    return v;
}

} // namespace

struct FileFloppyDrive::State {
    FaultPlan plan;
    std::map<std::uint32_t, std::uint32_t> failuresLeft; // FailTimes faults
    FaultLog log;

    // Applies the faults of one attempt: waits for slow sectors, and says whether the
    // attempt is to fail.
    bool attemptFails(std::uint32_t sector) {
        std::uint32_t delay = plan.slowMs;
        bool fails = false;
        for (const auto& f : plan.faults) {
            if (f.sector != sector) continue;
            switch (f.kind) {
            case SectorFault::Kind::Always: fails = true; break;
            case SectorFault::Kind::Slow: delay += f.value; break;
            case SectorFault::Kind::FailTimes: {
                auto& left = failuresLeft[sector];
                if (left > 0) {
                    --left;
                    fails = true;
                }
                break;
            }
            }
        }
        if (delay > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        return fails;
    }
};

namespace {

class FileFloppy final : public FloppyDevice {
public:
    FileFloppy(UniqueFd fd, std::shared_ptr<FileFloppyDrive::State> state)
        : fd_(std::move(fd)), state_(std::move(state)) {}

    bool readSector(std::uint32_t sector, std::span<std::uint8_t, kSectorSize> out) override {
        if (sector >= kSectorCount) return false;
        ++state_->log.reads[sector];
        if (state_->attemptFails(sector)) return false;
        return ReadAt(fd_.get(), out, static_cast<std::int64_t>(sector) * kSectorSize);
    }

    bool writeSector(std::uint32_t sector, std::span<const std::uint8_t, kSectorSize> in) override {
        if (sector >= kSectorCount) return false;
        ++state_->log.writes[sector];
        if (state_->attemptFails(sector)) return false;
        return WriteAt(fd_.get(), in, static_cast<std::int64_t>(sector) * kSectorSize);
    }

    bool flush() override { return ::fsync(fd_.get()) == 0; }

private:
    UniqueFd fd_;
    std::shared_ptr<FileFloppyDrive::State> state_;
};

} // namespace

std::optional<SectorFault> ParseFault(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto sector = Number(text.substr(0, colon), kSectorCount - 1);
    if (!sector) return std::nullopt;
    const std::string_view what = text.substr(colon + 1);
    if (what == "always") return SectorFault{*sector, SectorFault::Kind::Always, 0};
    const auto eq = what.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const std::string_view name = what.substr(0, eq);
    const std::string_view value = what.substr(eq + 1);
    if (name == "fail") {
        const auto n = Number(value, kMaxFailures);
        if (!n) return std::nullopt;
        return SectorFault{*sector, SectorFault::Kind::FailTimes, *n};
    }
    if (name == "slow") {
        const auto ms = Number(value, kMaxSlowMs);
        if (!ms) return std::nullopt;
        return SectorFault{*sector, SectorFault::Kind::Slow, *ms};
    }
    return std::nullopt;
}

std::optional<MediumGeometry> ParseGeometry(std::string_view text) {
    std::optional<std::uint32_t> parts[3];
    for (int i = 0; i < 3; ++i) {
        const auto x = text.find('x');
        if ((i < 2) == (x == std::string_view::npos)) return std::nullopt;
        parts[i] = Number(text.substr(0, x), 255);
        if (!parts[i]) return std::nullopt;
        text = i < 2 ? text.substr(x + 1) : std::string_view{};
    }
    return MediumGeometry{static_cast<int>(*parts[0]), static_cast<int>(*parts[1]), static_cast<int>(*parts[2])};
}

std::optional<FaultPlan> ParseFaultPlan(std::string_view text) {
    FaultPlan plan;
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty()) {
        if (isBlank(text.front())) {
            text.remove_prefix(1);
            continue;
        }
        std::size_t end = 0;
        while (end < text.size() && !isBlank(text[end])) ++end;
        const std::string_view item = text.substr(0, end);
        text.remove_prefix(end);
        constexpr std::string_view kGeometry = "geometry=", kSlow = "slow-ms=";
        if (item == "no-medium") {
            plan.noMedium = true;
        } else if (item.starts_with(kGeometry)) {
            plan.geometry = ParseGeometry(item.substr(kGeometry.size()));
            if (!plan.geometry) return std::nullopt;
        } else if (item.starts_with(kSlow)) {
            const auto ms = Number(item.substr(kSlow.size()), kMaxSlowMs);
            if (!ms) return std::nullopt;
            plan.slowMs = *ms;
        } else if (const auto fault = ParseFault(item)) {
            plan.faults.push_back(*fault);
        } else {
            return std::nullopt;
        }
    }
    return plan;
}

FileFloppyDrive::FileFloppyDrive(std::filesystem::path file, FaultPlan plan)
    : path_(file.string()), state_(std::make_shared<State>()) {
    for (const auto& f : plan.faults)
        if (f.kind == SectorFault::Kind::FailTimes) state_->failuresLeft[f.sector] = f.value;
    state_->plan = std::move(plan);
}

FileFloppyDrive::~FileFloppyDrive() = default;

const FaultLog& FileFloppyDrive::log() const { return state_->log; }

Result<std::unique_ptr<FloppyDevice>> FileFloppyDrive::open(DriveAccess access) {
    if (state_->plan.noMedium) return Fail(text::kNoFloppy);
    const int flags = (access == DriveAccess::Write ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    UniqueFd fd(::open(path_.c_str(), flags));
    struct stat st{};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return Fail(text::kCantOpenDrive);
    // The file is the medium: only an image of exactly 720 KB has the double-density geometry.
    const MediumGeometry geometry =
        state_->plan.geometry.value_or(st.st_size == kImageSize ? kDoubleDensity : MediumGeometry{0, 0, 0});
    if (auto medium = CheckMedium(geometry, access); !medium) return medium.failure();
    return std::unique_ptr<FloppyDevice>(std::make_unique<FileFloppy>(std::move(fd), state_));
}

} // namespace veldin
