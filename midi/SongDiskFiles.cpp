#include "midi/SongDiskFiles.h"
#include "core/InstallLayout.h"

#include <algorithm>
#include <vector>

#include "core/FileRead.h"
#include "core/FileReplacement.h"
#include "core/Geometry.h"
#include "core/Messages.h"

namespace veldin::midi {
namespace {

constexpr SongDiskType kTypes[] = {
    {"Roland W30 Sound & Song (*.sdk)", "W30"},
    {"Roland W30 Song (*.sng)", "W30S"},
};

Result<std::vector<std::uint8_t>> Template(const std::filesystem::path& mainDir, int filterIndex) {
    if (filterIndex < 1 || filterIndex > static_cast<int>(std::size(kTypes))) return Fail(text::kNoTemplate);
    const auto& type = kTypes[filterIndex - 1];
    auto bytes = ReadFileBytes(FindDataFile(mainDir, std::string(type.templateName) + ".dat"), text::kNoTemplate);
    if (!bytes) return bytes.failure();
    // A template of another size would not give an image of 737,280 bytes.
    if (bytes->size() != static_cast<std::size_t>(kSystemAreaSize)) return Fail(text::kNoTemplate);
    return bytes;
}

Status WriteImage(os::FileOps& files, const std::filesystem::path& path, std::span<const std::uint8_t> image) {
    auto file = FileReplacement::Begin(files, path, {text::kCantCreateFile, std::nullopt, true});
    if (!file) return file.failure();
    if (auto s = file->write(0, image); !s) return s;
    auto handle = file->commit();
    if (!handle) return handle.failure();
    files.close(*handle);
    return {};
}

} // namespace

std::span<const SongDiskType> SongDiskTypes() { return kTypes; }

Status MakeSongDisk(os::FileOps& files, const std::filesystem::path& mainDir, int filterIndex,
                    const std::filesystem::path& path) {
    auto image = Template(mainDir, filterIndex);
    if (!image) return image.failure();
    image->resize(kImageSize, 0);
    return WriteImage(files, path, *image);
}

Status SaveSongDiskAs(os::FileOps& files, const std::filesystem::path& mainDir, const Document& doc, int filterIndex,
                      const std::filesystem::path& path) {
    auto head = Template(mainDir, filterIndex);
    if (!head) return head.failure();
    std::vector<std::uint8_t> image(kImageSize);
    if (!doc.read(0, image)) return Fail(text::kCantCreateFile);
    std::copy_n(head->begin(), kSectorSize, image.begin());
    return WriteImage(files, path, image);
}

} // namespace veldin::midi
