#pragma once
// An image file that acts as a floppy drive, with faults injected on demand: a sector
// that always fails, one that fails a number of times and then works, slow sectors, no
// medium, or a medium of another geometry. The tests and the demonstration use it in
// place of a real drive; it counts every attempt so that tests can check the loop's
// arithmetic.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/FloppyDevice.h"

namespace veldin {

struct SectorFault {
    enum class Kind : std::uint8_t {
        Always,    // every attempt fails
        FailTimes, // the first `value` attempts fail, the later ones work
        Slow,      // every attempt takes `value` milliseconds longer
    };
    std::uint32_t sector = 0;
    Kind kind = Kind::Always;
    std::uint32_t value = 0;

    friend bool operator==(const SectorFault&, const SectorFault&) = default;
};

struct FaultPlan {
    std::vector<SectorFault> faults;
    bool noMedium = false;
    std::optional<MediumGeometry> geometry; // reported medium; unset: 80 x 2 x 9 when the file has 737,280 bytes
    std::uint32_t slowMs = 0;               // added to every attempt

    bool empty() const { return faults.empty() && !noMedium && !geometry && slowMs == 0; }
};

// "17:always", "300:fail=2", "40:slow=250". Sectors 0-1439, at most 1,000,000 failures,
// at most 60,000 ms. Anything else gives nothing.
std::optional<SectorFault> ParseFault(std::string_view text);
// "80x2x9": tracks, heads and sectors per track, each 0-255.
std::optional<MediumGeometry> ParseGeometry(std::string_view text);

// A whole plan as one line, the items separated by blanks: faults as above, "no-medium",
// "geometry=TxHxS" and "slow-ms=MS" (as the command-line options name them). Nothing when
// any item is not one of these.
std::optional<FaultPlan> ParseFaultPlan(std::string_view text);

// Attempts made so far, per sector; shared by every device the drive has opened.
struct FaultLog {
    std::vector<std::uint32_t> reads = std::vector<std::uint32_t>(kSectorCount, 0);
    std::vector<std::uint32_t> writes = std::vector<std::uint32_t>(kSectorCount, 0);
};

class FileFloppyDrive final : public FloppyDrive {
public:
    FileFloppyDrive(std::filesystem::path file, FaultPlan plan);
    ~FileFloppyDrive() override;

    // Read and Format open the file for reading only, Write for reading and writing.
    Result<std::unique_ptr<FloppyDevice>> open(DriveAccess access) override;
    DriveKind kind() const override { return DriveKind::File; }
    const std::string& path() const override { return path_; }

    const FaultLog& log() const;

    struct State; // the plan, the remaining failures and the log, shared with open devices

private:
    std::string path_;
    std::shared_ptr<State> state_;
};

} // namespace veldin
