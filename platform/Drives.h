#pragma once
// The drive behind a path: a regular file acts as a drive (with the faults of `plan`),
// anything else is taken for a floppy device.

#include <filesystem>
#include <memory>

#include "core/FloppyDevice.h"
#include "platform/FileFloppy.h"

namespace veldin {

std::unique_ptr<FloppyDrive> DriveForPath(const std::filesystem::path& path, FaultPlan plan = {});

} // namespace veldin
