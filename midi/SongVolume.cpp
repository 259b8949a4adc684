#include "midi/SongVolume.h"

#include <algorithm>
#include <cstdio>

#include "core/Bytes.h"
#include "core/LogWriter.h"
#include "core/Messages.h"
#include "midi/MidiTexts.h"
#include "midi/Song.h"

namespace veldin::midi {
namespace {

SongRow RowFromRecord(std::span<const std::uint8_t> fat, int position) {
    const auto rec = fat.subspan(SongRecordOffset(position), 32);
    return {position, NameText(rec.first(28)), ReadLe32(rec.subspan(28, 4)) * static_cast<std::uint32_t>(kSongSector)};
}

bool ValidPosition(int position) { return position >= kFirstPosition && position <= kLastPosition; }

} // namespace

const SongRow* SongList::find(int position) const {
    for (const auto& r : rows)
        if (r.position == position) return &r;
    return nullptr;
}

const SongRow* SongList::findByName(std::string_view name) const {
    const std::string wanted = TrimBlanks(std::string(name));
    for (const auto& r : rows)
        if (TrimBlanks(r.name) == wanted) return &r;
    return nullptr;
}

std::string SongList::freeText() const {
    char buf[96];
    std::snprintf(buf, sizeof buf, std::string(text::kFreeFigures).c_str(), static_cast<int>(freePositions),
                  static_cast<int>(freeBytes));
    return buf;
}

std::vector<RefreshEvent> RefreshEvents(std::int32_t code, StepDirection direction, std::int32_t parameter,
                                        std::span<const std::uint8_t> returned) {
    const bool undo = direction == StepDirection::Undo;
    switch (code) {
    case kOpStore:
    case kOpDelete: {
        // A store done (or a delete undone) brings the row back from the FAT area handed back.
        const bool insert = (code == kOpStore) != undo;
        if (!insert) return {{RefreshEvent::RemoveRow, parameter, {}, 0}};
        if (returned.size() < kFatAreaSize || !ValidPosition(parameter)) return {};
        const SongRow row = RowFromRecord(returned, parameter);
        return {{RefreshEvent::InsertRow, parameter, row.name, row.bytes}};
    }
    case kOpRename:
        if (returned.size() < 28) return {};
        return {{RefreshEvent::SetRowName, parameter, NameText(returned.first(28)), 0}};
    case kOpLabel:
        if (returned.size() < 11) return {};
        return {{RefreshEvent::SetLabel, 0, NameText(returned.first(11)), 0}};
    default:
        return {};
    }
}

void ApplyRefresh(SongList& list, const RefreshEvent& e) {
    auto at = std::find_if(list.rows.begin(), list.rows.end(), [&](const SongRow& r) { return r.position >= e.position; });
    const bool here = at != list.rows.end() && at->position == e.position;
    switch (e.kind) {
    case RefreshEvent::InsertRow:
        if (here) break;
        list.rows.insert(at, SongRow{e.position, e.text, e.bytes});
        list.freePositions -= 1;
        list.freeBytes -= e.bytes;
        break;
    case RefreshEvent::RemoveRow:
        if (!here) break;
        list.freePositions += 1;
        list.freeBytes += at->bytes;
        list.rows.erase(at);
        break;
    case RefreshEvent::SetRowName:
        if (here) at->name = e.text;
        break;
    case RefreshEvent::SetLabel:
        list.label = e.text;
        break;
    }
}

Result<SongVolume> SongVolume::load_fat_area(const SongImage& image, const DiskDefinition& definition,
                                    const std::optional<std::filesystem::path>& logDir) {
    SongVolume v(definition);
    if (!definition.hasSongs) return Fail(text::kFatCorrupted);
    if (const Status s = v.reload(image); !s) return s.failure();
    if (logDir) {
        LogWriter log;
        log.open(*logDir / text::kFat12Log);
    }
    return v;
}

Status SongVolume::reload(const SongImage& image) {
    FatArea fat{};
    if (!image.read(kFatAreaOffset, fat)) return Fail(text::kCantReadFile);
    if (FatEntry(std::span(fat).subspan(kFat1, kFatSize), 0) != kFatStart) return Fail(text::kFatCorrupted);
    fat_ = fat;
    return {};
}

int SongVolume::lastCluster() const {
    return std::min(kLastImageCluster, kFirstSongCluster - 1 + static_cast<int>(definition_.songAreaKb));
}

SongList SongVolume::listSongs(UserInteraction& ui) const {
    SongList list;
    list.label = NameText(std::span(fat_).subspan(kRootDir, 11));
    list.freePositions = definition_.songSlots;
    list.freeBytes = static_cast<std::int64_t>(definition_.songAreaKb) * kClusterSize;
    for (int p = kFirstPosition; p <= kLastPosition; ++p) {
        auto info = read_song_file_info(fat_, p);
        if (!info) {
            ui.report(info.failure(), text::kTitleMidiEditor);
            continue;
        }
        if (!*info) continue;
        const SongFileInfo& s = **info;
        list.rows.push_back({p, s.name(), s.size()});
        list.freePositions -= 1;
        list.freeBytes -= s.size();
    }
    return list;
}

Result<std::vector<std::uint8_t>> SongVolume::readSong(const SongImage& image, const SongFileInfo& info) const {
    std::vector<std::uint8_t> bytes(info.size());
    std::size_t at = 0;
    for (const std::uint16_t c : info.clusters) {
        const std::size_t n = std::min<std::size_t>(kClusterSize, bytes.size() - at);
        if (n == 0) break;
        if (!image.read(ClusterOffset(c), std::span(bytes).subspan(at, n))) return Fail(text::kCantReadFile);
        at += n;
    }
    if (at != bytes.size()) return Fail(text::kFatNoNextCluster);
    return bytes;
}

Status SongVolume::write(SongImage& image, std::int32_t code, int position, const FatArea& fat,
                         std::span<const std::uint16_t> clusters, std::span<const std::uint8_t> data) {
    ImageOperation op;
    op.code = code;
    op.parameter = position;
    op.returnedBlock = 0;
    op.blocks.push_back({kFatAreaOffset, std::vector<std::uint8_t>(fat.begin(), fat.end())});
    std::size_t at = 0;
    for (const std::uint16_t c : clusters) {
        std::vector<std::uint8_t> block(kClusterSize, 0);
        if (at < data.size()) std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), std::min<std::size_t>(kClusterSize, data.size() - at), block.begin());
        at += kClusterSize;
        op.blocks.push_back({ClusterOffset(c), std::move(block)});
    }
    if (!image.record(op)) return Fail(text::kCantRecord);
    fat_ = fat;
    return {};
}

Result<int> SongVolume::insert_song_file(SongImage& image, std::span<const std::uint8_t> song, std::int64_t freeBytes) {
    if (static_cast<std::int64_t>(song.size()) > freeBytes) return Fail(text::kNoFreeSpace);
    if (!is_song(song)) return Fail(text::kNotASong);
    ClusterBitmap bitmap = make_cluster_bitmap(fat_);
    if (!bitmap.freePosition) return Fail(text::kNoFreeSpace);
    const int count = static_cast<int>((song.size() + kClusterSize - 1) / kClusterSize);
    const auto clusters = AllocateClusters(bitmap, count, lastCluster());
    if (!clusters) return Fail(text::kNoFreeSpace);

    const int position = *bitmap.freePosition;
    const int songId = SongIdOf(position);
    std::vector<std::uint8_t> data(song.begin(), song.end());
    for (std::size_t s = 0; s < data.size(); s += kSongSector) data[s] = static_cast<std::uint8_t>(songId);

    // Existing chains and every other entry stay as they are; the new chain is linked in.
    FatArea fat = fat_;
    auto fat1 = std::span(fat).subspan(kFat1, kFatSize);
    SetFatEntry(fat1, 0, kFatStart);
    SetFatEntry(fat1, 1, kFatEnd);
    SetFatEntry(fat1, 2, 0x003);
    SetFatEntry(fat1, 3, kFatEnd);
    for (std::size_t i = 0; i < clusters->size(); ++i)
        SetFatEntry(fat1, (*clusters)[i], i + 1 < clusters->size() ? (*clusters)[i + 1] : kFatEnd);
    std::copy_n(fat.begin() + kFat1, kFatSize, fat.begin() + kFat2);

    // Root entry: "SONGnn  DAT", attribute 20h, time 6000h, date AB34h, start, size.
    auto root = std::span(fat).subspan(kRootDir + 32 * static_cast<std::size_t>(position), 32);
    std::fill(root.begin(), root.end(), std::uint8_t{0});
    char name[16];
    std::snprintf(name, sizeof name, std::string(text::kSongFileName).c_str(), songId);
    std::copy_n(name, 11, root.begin());
    root[11] = 0x20;
    WriteLe16(0x6000, root.subspan(22, 2));
    WriteLe16(0xAB34, root.subspan(24, 2));
    WriteLe16(clusters->front(), root.subspan(26, 2));
    WriteLe32(static_cast<std::uint32_t>(song.size()), root.subspan(28, 4));

    // Song directory record: the song's name field, then its sector count.
    auto rec = std::span(fat).subspan(SongRecordOffset(position), 32);
    std::copy_n(song.begin() + kHdrName, 28, rec.begin());
    WriteLe32(static_cast<std::uint32_t>((song.size() + kSongSector - 1) / kSongSector), rec.subspan(28, 4));

    if (const Status s = write(image, kOpStore, position, fat, *clusters, data); !s) return s.failure();
    return position;
}

Status SongVolume::delete_song_file(SongImage& image, int position) {
    auto info = read_song_file_info(fat_, position);
    if (!info) return info.failure();
    if (!*info || !ValidPosition(position)) return Fail(text::kCantDelete);
    // Clusters are wiped: a chain that strays out of the song area (into the sound data
    // of a Sound & Song disk) is corrupt and is not followed with zeros.
    for (const std::uint16_t c : (*info)->clusters)
        if (c < kFirstSongCluster || c > lastCluster()) return Fail(text::kFatCorrupted);
    FatArea fat = fat_;
    fat[kRootDir + 32 * static_cast<std::size_t>(position)] = 0xE5;
    std::fill_n(fat.begin() + static_cast<std::ptrdiff_t>(SongRecordOffset(position)), 32, std::uint8_t{0});
    auto fat1 = std::span(fat).subspan(kFat1, kFatSize);
    for (const std::uint16_t c : (*info)->clusters) SetFatEntry(fat1, c, kFatFree);
    std::copy_n(fat.begin() + kFat1, kFatSize, fat.begin() + kFat2);
    // The song's clusters are wiped with zeros.
    return write(image, kOpDelete, position, fat, (*info)->clusters, {});
}

Status SongVolume::renameSong(SongImage& image, int position, std::string_view name) {
    auto info = read_song_file_info(fat_, position);
    if (!info) return info.failure();
    if (!*info || !ValidPosition(position)) return Fail(text::kNotASong);
    const auto padded = PaddedName(name, 27, 28);
    ImageOperation op{kOpRename, position, 0, {}};
    op.blocks.push_back({kFatAreaOffset + static_cast<std::uint32_t>(SongRecordOffset(position)), padded});
    op.blocks.push_back({ClusterOffset((*info)->startCluster()) + static_cast<std::uint32_t>(kHdrName), padded});
    if (!image.record(op)) return Fail(text::kCantRecord);
    std::copy(padded.begin(), padded.end(), fat_.begin() + static_cast<std::ptrdiff_t>(SongRecordOffset(position)));
    return {};
}

Status SongVolume::setLabel(SongImage& image, std::string_view label) {
    const auto padded = PaddedName(label, 10, 11);
    ImageOperation op{kOpLabel, 0, 0, {{kLabelOffset, padded}}};
    if (!image.record(op)) return Fail(text::kCantRecord);
    std::copy(padded.begin(), padded.end(), fat_.begin() + (kLabelOffset - kFatAreaOffset));
    return {};
}

} // namespace veldin::midi
