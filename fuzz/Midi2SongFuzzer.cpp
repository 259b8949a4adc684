// Any bytes as a Standard MIDI File. Property: a song that comes out is a song whose
// header's sector count is its size, and it converts back to MIDI.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/Bytes.h"
#include "core/UserInteraction.h"
#include "midi/MidiToSong.h"
#include "midi/Song.h"
#include "midi/SongToMidi.h"

namespace {
class Silent final : public veldin::UserInteraction {
public:
    void message(std::string_view, std::string_view, veldin::Icon) override {}
    veldin::Answer ask(std::string_view, std::string_view, veldin::Buttons, veldin::Icon) override { return veldin::Answer::Cancel; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin::midi;
    Silent ui;
    MidiToSongOptions o;
    o.songName = SongNameSource::Title;
    auto song = midi2song(std::span(data, size), ui, o);
    if (!song) return 0;
    if (!is_song(*song) || veldin::ReadLe32(std::span(*song).subspan(36, 4)) * 512u != song->size()) std::abort();
    if (!song_to_midi(*song, ui, {}).ok()) std::abort();
    return 0;
}
