// Any bytes as a W-30 song. Property: a conversion that succeeds gives a MIDI file whose
// chunks tile it exactly and whose header counts them; our MIDI reader takes it without
// harm.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/UserInteraction.h"
#include "midi/MidiToSong.h"
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
    auto midi = song_to_midi(std::span(data, size), ui, {});
    if (!midi) return 0;
    const auto& m = *midi;
    std::size_t at = 14;
    std::size_t tracks = 0;
    while (at + 8 <= m.size()) {
        const std::size_t len = (std::size_t{m[at + 4]} << 24) | (std::size_t{m[at + 5]} << 16) | (std::size_t{m[at + 6]} << 8) | m[at + 7];
        at += 8 + len;
        ++tracks;
    }
    if (at != m.size() || tracks != ((std::size_t{m[10]} << 8) | m[11])) std::abort();
    (void)midi2song(m, ui, {}).ok();
    return 0;
}
