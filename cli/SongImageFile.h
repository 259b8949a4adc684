#pragma once
// The image file behind a song command: read whole, changed in memory through the
// undo-recorded operations of the song logic, then written back atomically (a temporary
// file beside the target, flushed to the disk, renamed over it).

#include <filesystem>

#include "core/DiskDefinition.h"
#include "core/Result.h"
#include "midi/SongImage.h"

namespace veldin::cli {

struct OpenSongImage {
    midi::MemoryImage image;
    DiskDefinition definition;
};

Result<OpenSongImage> OpenImageForSongs(const std::filesystem::path& path);
Status SaveImageAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

} // namespace veldin::cli
