#pragma once
// The one way logic reads a whole file. A folder, a missing or unreadable path and a
// read error all come back as a failure with the caller's fixed text; no exception
// leaves (a stream read straight through its buffer throws on a folder).

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "core/Messages.h"
#include "core/Result.h"

namespace veldin {

Result<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& path,
                                                std::string_view failureText = text::kCantOpenSpecifiedFile);

} // namespace veldin
