#pragma once
// What the MIDI Editor's window holds for one open song disk: the volume, the list it
// shows, the current song, and the changes made from the window, each followed by the
// list updates it calls for (never by a re-read of the whole volume). The window only
// shows the list and the events, asks and forwards.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/DiskDefinition.h"
#include "core/Result.h"
#include "core/UserInteraction.h"
#include "midi/SongImage.h"
#include "midi/SongVolume.h"

namespace veldin::midi {

// The window's commands (the frame's ids for them).
inline constexpr int kCmdLoadSong = 1300;
inline constexpr int kCmdSaveSong = 1301;
inline constexpr int kCmdLoadMidi = 1302;
inline constexpr int kCmdSaveMidi = 1303;

inline constexpr std::size_t kRenameLimit = 27; // characters taken from the label edit
inline constexpr std::size_t kLabelLimit = 10;  // characters taken from the label edit
inline constexpr std::size_t kSongNameLimit = 28; // the song-name dialog's edit

inline constexpr std::string_view kDeleteQuestion = "Do you really want to delete this song?";

class SongEditor {
public:
    // Loads the FAT area (and the empty "fat12log.txt" when `logDir` is given) and fills
    // the list; a corrupt chain is reported to `ui` and left out.
    static Result<SongEditor> Open(SongImage& image, const DiskDefinition& definition, UserInteraction& ui,
                                   const std::optional<std::filesystem::path>& logDir);

    const SongList& list() const { return list_; }
    // The song of the selected row, -1 for none.
    int current() const { return current_; }
    void select(int position);
    const SongRow* currentRow() const { return list_.find(current_); }

    // Load Song and Load MIDI do nothing while no position or no byte is free.
    bool canStore() const { return list_.freePositions > 0 && list_.freeBytes > 0; }

    // The changes. Each returns the list updates it made (already applied to list()).
    Result<std::vector<RefreshEvent>> store(std::span<const std::uint8_t> song);
    Result<std::vector<RefreshEvent>> deleteCurrent();
    Result<std::vector<RefreshEvent>> rename(int position, std::string_view typed);
    Result<std::vector<RefreshEvent>> setLabel(std::string_view typed);
    // After the undo store stepped back (`undo`) or forward: the FAT area is read again
    // (8704 bytes, not the songs) and the list follows the step handed back.
    Result<std::vector<RefreshEvent>> afterStep(const StepResult& step, bool undo);

    // The current song's bytes as Save Song and Save MIDI write them.
    Result<std::vector<std::uint8_t>> currentSongBytes() const;
    const SongVolume& volume() const { return volume_; }

private:
    SongEditor(SongImage& image, SongVolume volume) : image_(&image), volume_(std::move(volume)) {}
    std::vector<RefreshEvent> follow(std::int32_t code, StepDirection direction, std::int32_t parameter,
                                     std::span<const std::uint8_t> returned);

    SongImage* image_;
    SongVolume volume_;
    SongList list_;
    int current_ = -1;
};

// The name a song is proposed under in the Save choosers: its name with every "." made
// a blank and each of : \ / , ? * < " | an underscore, without the blanks that pad it
// to 28 characters.
std::string ProposedFileName(std::string_view songName);

// text::kSongSizeColumn with the size.
std::string SizeText(std::uint32_t bytes);

} // namespace veldin::midi
