#pragma once
// The two kinds of new image the MIDI Editor's New and Save As offer, each made from its
// template in the main directory: 1 "Roland W30 Sound & Song (*.sdk)" from "W30.dat",
// 2 "Roland W30 Song (*.sng)" from "W30S.dat".

#include <filesystem>
#include <span>
#include <string_view>

#include "core/Document.h"
#include "core/Result.h"
#include "platform/os/FileOps.h"

namespace veldin::midi {

struct SongDiskType {
    std::string_view filter;       // the chooser's text
    std::string_view templateName; // "W30": the file "W30.dat"
};

// In filter order: index 0 is the filter index 1.
std::span<const SongDiskType> SongDiskTypes();

// New: the template (its 64,512 bytes) followed by 0xA4400 zero bytes at `path`,
// replacing a file there. "Couldn't find Roland diskimage definitions!" without a
// usable template; nothing is written then.
Status MakeSongDisk(os::FileOps& files, const std::filesystem::path& mainDir, int filterIndex,
                    const std::filesystem::path& path);

// Save As: the template's sector 0 and the document's sectors 1-1439 (its working copy,
// unsaved changes included). The document goes on editing its own file.
Status SaveSongDiskAs(os::FileOps& files, const std::filesystem::path& mainDir, const Document& doc, int filterIndex,
                      const std::filesystem::path& path);

} // namespace veldin::midi
