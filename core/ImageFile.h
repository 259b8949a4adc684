#pragma once
// Reading a disk image file as a whole: the exact-size check and the classification that
// every opener of an image applies before anything else.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "core/DiskDefinition.h"
#include "core/Result.h"

namespace veldin {

struct LoadedImage {
    std::vector<std::uint8_t> bytes; // exactly 737,280
    DiskDefinition definition;
};

// Fails with "Couldn't open file!", the invalid-size text (checked before anything is
// classified) or the not-a-Roland-image text.
Result<LoadedImage> LoadImageFile(const std::filesystem::path& path);

// The same checks on bytes already in memory.
Result<DiskDefinition> CheckImageBytes(std::span<const std::uint8_t> bytes);

} // namespace veldin
