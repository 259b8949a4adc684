#include "platform/Drives.h"

#include "platform/LinuxFloppy.h"

namespace veldin {

std::unique_ptr<FloppyDrive> DriveForPath(const std::filesystem::path& path, FaultPlan plan) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) return std::make_unique<FileFloppyDrive>(path, std::move(plan));
    return std::make_unique<LinuxFloppyDrive>(path.string());
}

} // namespace veldin
