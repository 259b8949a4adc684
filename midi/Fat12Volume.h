#pragma once
// The FAT12 volume of W-30 song disks. Byte offsets in the image:
//
//   512   FAT1 (1536 bytes, 1024 entries)     2048  FAT2, kept identical to FAT1
//   3584  root directory, 112 entries of 32   7168  song directory (clusters 2 and 3)
//   5120 + 1024 n   data cluster n (songs from cluster 4; cluster 714 ends the image)
//
// The 8704 bytes from 512 to 9216 are the "FAT area", held in memory per document.

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"

namespace veldin::midi {

inline constexpr std::uint32_t kFatAreaOffset = 512;
inline constexpr std::size_t kFatAreaSize = 8704;
inline constexpr std::size_t kFat1 = 0;
inline constexpr std::size_t kFat2 = 1536;
inline constexpr std::size_t kFatSize = 1536;
inline constexpr int kFatEntries = 1024;
inline constexpr std::size_t kRootDir = 3072;
inline constexpr int kRootEntries = 112;
inline constexpr std::size_t kSongDir = 6656;
inline constexpr int kFirstPosition = 2;
inline constexpr int kLastPosition = 65;
inline constexpr int kFirstSongCluster = 4;
inline constexpr int kLastImageCluster = 714;
inline constexpr int kBitmapClusters = 720;
inline constexpr std::uint32_t kClusterSize = 1024;
inline constexpr std::uint32_t kLabelOffset = 3584; // name field of root entry 0

// FAT12 values.
inline constexpr std::uint16_t kFatFree = 0x000;
inline constexpr std::uint16_t kFatStart = 0xFF9;
inline constexpr std::uint16_t kFatEnd = 0xFFF;

// Operation codes of the changes recorded on a song volume.
inline constexpr std::int32_t kOpStore = 1300;
inline constexpr std::int32_t kOpDelete = 1105;
inline constexpr std::int32_t kOpRename = -106;
inline constexpr std::int32_t kOpLabel = 56;

using FatArea = std::array<std::uint8_t, kFatAreaSize>;

std::uint16_t FatEntry(std::span<const std::uint8_t> table, int n);
void SetFatEntry(std::span<std::uint8_t> table, int n, std::uint16_t value);

constexpr std::uint32_t ClusterOffset(int cluster) { return 5120 + kClusterSize * static_cast<std::uint32_t>(cluster); }
constexpr int SongIdOf(int position) { return 65 - position; }
// FAT-area offset of the song directory record of a position (record number = Song ID).
constexpr std::size_t SongRecordOffset(int position) {
    return kSongDir + 2080 - 32 * static_cast<std::size_t>(position);
}

// A cursor on a FAT entry: table 0 is FAT1, 1 is FAT2.
struct FatCursor {
    int table = 0;
    int entry = 0;
    friend bool operator==(const FatCursor&, const FatCursor&) = default;
};

// First entry of FAT1, then of FAT2, whose value equals `value`. Reserved, bad, start and
// end values never match; a free entry matches only a search for 0.
std::optional<FatCursor> seek_cluster(const FatArea& fat, std::uint16_t value);

struct SongFileInfo {
    int position = 0;
    std::array<std::uint8_t, 32> root{};
    std::array<std::uint8_t, 32> record{};
    std::vector<std::uint16_t> clusters; // in file order

    std::uint32_t size() const;
    std::uint16_t startCluster() const;
    std::uint32_t sectorCount() const; // from the song directory record
    std::string name() const;          // the record's 28 name bytes, zero bytes as blanks
};

// The song at a root position: nullopt when there is none (silently), a failure with the
// FAT's fixed text when its chain is corrupt.
Result<std::optional<SongFileInfo>> read_song_file_info(const FatArea& fat, int position);

struct ClusterBitmap {
    std::bitset<kBitmapClusters> used;
    std::optional<int> freePosition; // first root position among 2-65 not in use
};
ClusterBitmap make_cluster_bitmap(const FatArea& fat);

// `count` clusters from 4 up to `lastCluster`, each run started on a free pair; marks
// them in the bitmap. nullopt (bitmap unchanged) when the volume has too few.
std::optional<std::vector<std::uint16_t>> AllocateClusters(ClusterBitmap& bitmap, int count, int lastCluster);

// Blank-padded fixed-width name: the first `keep` characters of `name`, then blanks up
// to `width`.
std::vector<std::uint8_t> PaddedName(std::string_view name, std::size_t keep, std::size_t width);
std::string NameText(std::span<const std::uint8_t> bytes); // zero bytes as blanks

} // namespace veldin::midi
