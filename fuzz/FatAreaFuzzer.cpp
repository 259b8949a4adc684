// Any bytes as the FAT area of a song disk. Properties: every chain read stays inside the
// image, holds no cluster twice and covers its file; listing never fails; a song stored
// on such a volume reads back as stored, in clusters that were free, and a refused one
// changes nothing. One image in memory serves the whole process: each run writes its
// FAT area as an undo step and undoes everything it recorded before it ends.
#include <algorithm>
#include <bitset>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "core/DiskDefinition.h"
#include "core/Geometry.h"
#include "core/UserInteraction.h"
#include "midi/Fat12Volume.h"
#include "midi/Song.h"
#include "midi/SongVolume.h"

namespace {
class Silent final : public veldin::UserInteraction {
public:
    void message(std::string_view, std::string_view, veldin::Icon) override {}
    veldin::Answer ask(std::string_view, std::string_view, veldin::Buttons, veldin::Icon) override { return veldin::Answer::Cancel; }
};

const veldin::DiskDefinition& SongDiskRow() {
    for (const auto& row : veldin::DefinitionTable())
        if (row.hasSongs && !row.hasSounds) return row;
    std::abort();
}
// Undoes every step recorded in the image, so that the next run starts from zeros.
struct UndoAll {
    veldin::midi::MemoryImage& image;
    ~UndoAll() {
        while (image.steps() > 0) image.undo();
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin::midi;
    static MemoryImage image(std::vector<std::uint8_t>(static_cast<std::size_t>(veldin::kImageSize), 0));
    if (image.steps() != 0) std::abort();
    ImageOperation fat;
    fat.blocks.push_back({static_cast<std::uint32_t>(kFatAreaOffset), std::vector<std::uint8_t>(kFatAreaSize, 0)});
    std::copy_n(data, std::min(size, kFatAreaSize), fat.blocks[0].bytes.begin());
    if (!image.record(fat).ok()) std::abort();
    const UndoAll undo{image};
    auto volume = SongVolume::load_fat_area(image, SongDiskRow(), std::nullopt);
    if (!volume) return 0;
    for (int p = 0; p < kRootEntries; ++p) {
        auto info = read_song_file_info(volume->fatArea(), p);
        if (!info || !*info) continue;
        std::bitset<1024> seen;
        for (auto c : (*info)->clusters) {
            if (c < 2 || c > kLastImageCluster || seen.test(c)) std::abort();
            seen.set(c);
        }
        if ((*info)->clusters.size() * 1024 < (*info)->size()) std::abort();
    }
    Silent ui;
    const SongList list = volume->listSongs(ui);
    const ClusterBitmap before = make_cluster_bitmap(volume->fatArea());

    std::vector<std::uint8_t> song(3 * 1024 + 512, 0xFF);
    song[1] = kBlockHeader;
    song[7] = kSlotsPerSector;
    auto position = volume->insert_song_file(image, song, list.freeBytes);
    if (!position) {
        if (image.steps() != 1) std::abort(); // a refusal records nothing
        return 0;
    }
    auto stored = volume->songAt(*position);
    if (!stored || !*stored) std::abort();
    for (auto c : (*stored)->clusters)
        if (before.used.test(c) || c > kLastImageCluster) std::abort();
    auto back = volume->readSong(image, **stored);
    if (!back || back->size() != song.size()) std::abort();
    for (std::size_t i = 0; i < song.size(); ++i)
        if ((*back)[i] != (i % 512 == 0 ? SongIdOf(*position) : song[i])) std::abort();
    return 0;
}
