#pragma once
// The song volume of one open document: its FAT area, the list of songs with the free
// figures, and the changes (store, delete, rename, volume label), each written as one
// undo-recorded operation. After undo and redo the list is brought up to date from what
// the undo store hands back, through RefreshEvents.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/DiskDefinition.h"
#include "core/Result.h"
#include "core/UserInteraction.h"
#include "midi/Fat12Volume.h"
#include "midi/SongImage.h"

namespace veldin::midi {

struct SongRow {
    int position = 0;
    std::string name;        // 28 characters from the song directory record
    std::uint32_t bytes = 0; // file size, or sector count x 512 for rows added by a change
    int songId() const { return SongIdOf(position); }
    friend bool operator==(const SongRow&, const SongRow&) = default;
};

struct SongList {
    std::vector<SongRow> rows; // in position order
    std::int64_t freePositions = 0;
    std::int64_t freeBytes = 0;
    std::string label; // 11 bytes of root entry 0

    const SongRow* find(int position) const;
    const SongRow* findByName(std::string_view name) const; // trimmed names compared
    std::string freeText() const; // "%d positions & %d bytes free"
};

enum class StepDirection { Do, Undo, Redo };

struct RefreshEvent {
    enum Kind { InsertRow, RemoveRow, SetRowName, SetLabel } kind = InsertRow;
    int position = 0;
    std::string text;        // row name or label
    std::uint32_t bytes = 0; // for InsertRow
    friend bool operator==(const RefreshEvent&, const RefreshEvent&) = default;
};

// The view updates after a change, from the operation code, the direction, the parameter
// (the song position) and the bytes of the returned block: the FAT area for store and
// delete, the 28 name bytes for rename, the 11 label bytes for the label.
std::vector<RefreshEvent> RefreshEvents(std::int32_t code, StepDirection direction, std::int32_t parameter,
                                        std::span<const std::uint8_t> returned);
void ApplyRefresh(SongList& list, const RefreshEvent& event);

class SongVolume {
public:
    // load_fat_area: reads the FAT area (it must start with FF9) and, when `logDir` is
    // given, creates "fat12log.txt" there.
    static Result<SongVolume> load_fat_area(const SongImage& image, const DiskDefinition& definition,
                                   const std::optional<std::filesystem::path>& logDir);

    const FatArea& fatArea() const { return fat_; }
    int lastCluster() const;

    // Reads every position; corrupt chains are reported to the user and skipped.
    SongList listSongs(UserInteraction& ui) const;
    Result<std::optional<SongFileInfo>> songAt(int position) const { return read_song_file_info(fat_, position); }
    // The song's bytes: 1024 per cluster, the last cluster up to the file size.
    Result<std::vector<std::uint8_t>> readSong(const SongImage& image, const SongFileInfo& info) const;

    // insert_song_file: the new song's position.
    Result<int> insert_song_file(SongImage& image, std::span<const std::uint8_t> song, std::int64_t freeBytes);
    Status delete_song_file(SongImage& image, int position);
    Status renameSong(SongImage& image, int position, std::string_view name);
    Status setLabel(SongImage& image, std::string_view label);

    // After undo or redo the image holds another FAT area.
    Status reload(const SongImage& image);

private:
    SongVolume(const DiskDefinition& d) : definition_(d) {}
    Status write(SongImage& image, std::int32_t code, int position, const FatArea& fat,
                 std::span<const std::uint16_t> clusters, std::span<const std::uint8_t> data);

    DiskDefinition definition_;
    FatArea fat_{};
};

} // namespace veldin::midi
