#include "midi/Fat12Volume.h"

#include <algorithm>

#include "core/Bytes.h"
#include "midi/MidiTexts.h"

namespace veldin::midi {
namespace {

bool IsReserved(std::uint16_t v) { return v >= 0xFF0 && v <= 0xFF8; }

std::span<const std::uint8_t> Fat1(const FatArea& fat) { return std::span(fat).subspan(kFat1, kFatSize); }

std::span<const std::uint8_t> RootEntry(const FatArea& fat, int index) {
    return std::span(fat).subspan(kRootDir + 32 * static_cast<std::size_t>(index), 32);
}

// Root entry: name 0-7, extension 8-10, attribute 11, time 22, date 24, start cluster
// 26, size 28 (all little-endian).
bool IsSongFile(std::span<const std::uint8_t> e) {
    return e[0] != 0xE5 && e[11] == 0x20 && e[8] == 'D' && e[9] == 'A' && e[10] == 'T';
}

// Only a never-used (first byte 00h) or deleted (E5h) entry is free. Anything else may be
// a directory, a file without the archive bit or one of size 0 made by another tool, and
// storing a song there would lose it.
bool IsInUse(std::span<const std::uint8_t> e) { return e[0] != 0x00 && e[0] != 0xE5; }

} // namespace

std::uint16_t FatEntry(std::span<const std::uint8_t> table, int n) {
    // Two entries in three bytes: 2k = b0 | (b1 & 0F) << 8, 2k+1 = b1 >> 4 | b2 << 4.
    const std::size_t at = static_cast<std::size_t>(n / 2) * 3;
    const auto b = table.subspan(at, 3);
    if (n % 2 == 0) return static_cast<std::uint16_t>(b[0] | ((b[1] & 0x0F) << 8));
    return static_cast<std::uint16_t>((b[1] >> 4) | (b[2] << 4));
}

void SetFatEntry(std::span<std::uint8_t> table, int n, std::uint16_t value) {
    const std::size_t at = static_cast<std::size_t>(n / 2) * 3;
    auto b = table.subspan(at, 3);
    if (n % 2 == 0) {
        b[0] = static_cast<std::uint8_t>(value);
        b[1] = static_cast<std::uint8_t>((b[1] & 0xF0) | ((value >> 8) & 0x0F));
    } else {
        b[1] = static_cast<std::uint8_t>((b[1] & 0x0F) | ((value & 0x0F) << 4));
        b[2] = static_cast<std::uint8_t>(value >> 4);
    }
}

std::optional<FatCursor> seek_cluster(const FatArea& fat, std::uint16_t value) {
    if (IsReserved(value) || value == kFatStart || value == kFatEnd) return std::nullopt;
    for (int table = 0; table < 2; ++table) {
        const auto t = std::span(fat).subspan(table == 0 ? kFat1 : kFat2, kFatSize);
        for (int n = 0; n < kFatEntries; ++n)
            if (FatEntry(t, n) == value) return FatCursor{table, n};
    }
    return std::nullopt;
}

std::uint32_t SongFileInfo::size() const { return ReadLe32(std::span(root).subspan(28, 4)); }
std::uint16_t SongFileInfo::startCluster() const { return ReadLe16(std::span(root).subspan(26, 2)); }
std::uint32_t SongFileInfo::sectorCount() const { return ReadLe32(std::span(record).subspan(28, 4)); }
std::string SongFileInfo::name() const { return NameText(std::span(record).first(28)); }

// The chain is walked link by link as any FAT reader does: a cluster's entry names the
// next cluster or ends the file. A chain that is longer than the file size says is not
// a song; a shorter one, a link outside the image, a reserved value or a loop is corrupt.
Result<std::optional<SongFileInfo>> read_song_file_info(const FatArea& fat, int position) {
    if (position < 0 || position >= kRootEntries) return std::optional<SongFileInfo>{};
    const auto entry = RootEntry(fat, position);
    if (!IsSongFile(entry)) return std::optional<SongFileInfo>{};
    SongFileInfo info;
    info.position = position;
    std::copy(entry.begin(), entry.end(), info.root.begin());
    if (position >= kFirstPosition && position <= kLastPosition) {
        const auto rec = std::span(fat).subspan(SongRecordOffset(position), 32);
        std::copy(rec.begin(), rec.end(), info.record.begin());
    }
    const std::uint32_t needed = (info.size() + kClusterSize - 1) / kClusterSize;
    if (needed == 0) return std::optional<SongFileInfo>{};

    const auto fat1 = Fat1(fat);
    int cluster = info.startCluster();
    if (cluster < 2 || cluster > kLastImageCluster || FatEntry(fat1, cluster) == kFatFree) return Fail(text::kFatCorrupted);
    std::bitset<kFatEntries> seen;
    for (;;) {
        info.clusters.push_back(static_cast<std::uint16_t>(cluster));
        seen.set(static_cast<std::size_t>(cluster));
        if (info.clusters.size() > needed) return std::optional<SongFileInfo>{};
        const std::uint16_t next = FatEntry(fat1, cluster);
        if (next == kFatEnd) {
            if (info.clusters.size() < needed) return Fail(text::kFatNoNextCluster);
            return std::optional<SongFileInfo>{std::move(info)};
        }
        if (next == kFatStart) return Fail(text::kFatStartInside);
        if (next == kFatFree) return Fail(text::kFatEmptyInside);
        if (IsReserved(next) || next < 2 || next > kLastImageCluster || seen.test(next)) return Fail(text::kFatNoNextCluster);
        cluster = next;
    }
}

ClusterBitmap make_cluster_bitmap(const FatArea& fat) {
    ClusterBitmap bm;
    bm.used.set(0);
    bm.used.set(1);
    for (int i = 0; i < kRootEntries; ++i) {
        const auto e = RootEntry(fat, i);
        const bool inUse = IsInUse(e);
        if (!inUse && i >= kFirstPosition && i <= kLastPosition && !bm.freePosition) bm.freePosition = i;
        const std::uint16_t start = ReadLe16(e.subspan(26, 2));
        if (inUse && start < kBitmapClusters) bm.used.set(start);
    }
    const auto fat1 = Fat1(fat);
    for (int n = 2; n < kFatEntries; ++n) {
        const std::uint16_t v = FatEntry(fat1, n);
        if (n >= kFirstSongCluster && v >= 2 && v < kBitmapClusters) bm.used.set(v);
        // A cluster whose own entry is not free belongs to some file, listed or not
        // (the clusters past a Sound & Song disk's song area are marked FFF this way).
        if (v != kFatFree && n < kBitmapClusters) bm.used.set(static_cast<std::size_t>(n));
    }
    return bm;
}

std::optional<std::vector<std::uint16_t>> AllocateClusters(ClusterBitmap& bitmap, int count, int lastCluster) {
    lastCluster = std::min(lastCluster, kLastImageCluster);
    auto used = bitmap.used;
    std::vector<std::uint16_t> taken;
    int c = kFirstSongCluster;
    auto take = [&](int n) {
        used.set(static_cast<std::size_t>(n));
        taken.push_back(static_cast<std::uint16_t>(n));
    };
    while (static_cast<int>(taken.size()) < count) {
        // Every run starts on a free pair.
        while (c + 1 <= lastCluster && (used.test(static_cast<std::size_t>(c)) || used.test(static_cast<std::size_t>(c + 1))))
            ++c;
        if (c + 1 > lastCluster) return std::nullopt;
        take(c++);
        while (static_cast<int>(taken.size()) < count && c <= lastCluster && !used.test(static_cast<std::size_t>(c))) take(c++);
    }
    bitmap.used = used;
    return taken;
}

std::vector<std::uint8_t> PaddedName(std::string_view name, std::size_t keep, std::size_t width) {
    std::vector<std::uint8_t> out(width, ' ');
    const std::size_t n = std::min({name.size(), keep, width});
    std::copy_n(name.begin(), n, out.begin());
    return out;
}

std::string NameText(std::span<const std::uint8_t> bytes) {
    std::string s(bytes.begin(), bytes.end());
    std::replace(s.begin(), s.end(), '\0', ' ');
    return s;
}

} // namespace veldin::midi
