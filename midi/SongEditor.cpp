#include "midi/SongEditor.h"

#include <algorithm>
#include <cstdio>

#include "midi/MidiTexts.h"

namespace veldin::midi {

Result<SongEditor> SongEditor::Open(SongImage& image, const DiskDefinition& definition, UserInteraction& ui,
                                    const std::optional<std::filesystem::path>& logDir) {
    auto volume = SongVolume::load_fat_area(image, definition, logDir);
    if (!volume) return volume.failure();
    SongEditor e(image, std::move(*volume));
    e.list_ = e.volume_.listSongs(ui);
    return e;
}

void SongEditor::select(int position) { current_ = list_.find(position) ? position : -1; }

std::vector<RefreshEvent> SongEditor::follow(std::int32_t code, StepDirection direction, std::int32_t parameter,
                                             std::span<const std::uint8_t> returned) {
    std::vector<RefreshEvent> events = RefreshEvents(code, direction, parameter, returned);
    for (const RefreshEvent& e : events) ApplyRefresh(list_, e);
    if (!list_.find(current_)) current_ = -1;
    return events;
}

Result<std::vector<RefreshEvent>> SongEditor::store(std::span<const std::uint8_t> song) {
    if (!canStore()) return Fail(text::kNoFreeSpace);
    auto position = volume_.insert_song_file(*image_, song, list_.freeBytes);
    if (!position) return position.failure();
    return follow(kOpStore, StepDirection::Do, *position, volume_.fatArea());
}

Result<std::vector<RefreshEvent>> SongEditor::deleteCurrent() {
    if (current_ < 0) return std::vector<RefreshEvent>{};
    const int position = current_;
    if (const Status s = volume_.delete_song_file(*image_, position); !s) return s.failure();
    return follow(kOpDelete, StepDirection::Do, position, volume_.fatArea());
}

Result<std::vector<RefreshEvent>> SongEditor::rename(int position, std::string_view typed) {
    if (const Status s = volume_.renameSong(*image_, position, typed); !s) return s.failure();
    return follow(kOpRename, StepDirection::Do, position, PaddedName(typed, kRenameLimit, 28));
}

Result<std::vector<RefreshEvent>> SongEditor::setLabel(std::string_view typed) {
    if (const Status s = volume_.setLabel(*image_, typed); !s) return s.failure();
    return follow(kOpLabel, StepDirection::Do, 0, PaddedName(typed, kLabelLimit, 11));
}

Result<std::vector<RefreshEvent>> SongEditor::afterStep(const StepResult& step, bool undo) {
    if (step.code == 0) return std::vector<RefreshEvent>{};
    if (const Status s = volume_.reload(*image_); !s) return s.failure();
    return follow(step.code, undo ? StepDirection::Undo : StepDirection::Redo, step.parameter, step.block);
}

Result<std::vector<std::uint8_t>> SongEditor::currentSongBytes() const {
    if (current_ < 0) return Fail(text::kNotASong);
    auto info = volume_.songAt(current_);
    if (!info) return info.failure();
    if (!*info) return Fail(text::kNotASong);
    return volume_.readSong(*image_, **info);
}

std::string ProposedFileName(std::string_view songName) {
    std::string name(songName);
    std::replace(name.begin(), name.end(), '.', ' ');
    // What the save chooser cannot take in a name becomes an underscore.
    for (char& c : name)
        if (std::string_view(":\\/,?*<\"|").find(c) != std::string_view::npos) c = '_';
    while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
    return name;
}

std::string SizeText(std::uint32_t bytes) {
    char buf[32];
    std::snprintf(buf, sizeof buf, std::string(text::kSongSizeColumn).c_str(), static_cast<int>(bytes));
    return buf;
}

} // namespace veldin::midi
