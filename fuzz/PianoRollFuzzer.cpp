// Any bytes as a MIDI file for the piano roll. Property: what is read stays inside the
// file's time (every note starts before the end tick and ends by it), keys are MIDI
// keys, and the measure lines of what was read come in order.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "midi/PianoRoll.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin::midi;
    const auto song = ReadRoll(std::span(data, size));
    if (!song) return 0;
    for (const RollNote& n : song->notes) {
        if (n.key < 0 || n.key > 127 || n.length == 0) std::abort();
        if (static_cast<std::uint64_t>(n.start) + n.length > song->endTick) std::abort();
    }
    // Bounded: a file of huge deltas must not make millions of lines.
    const auto lines = MeasureStarts(*song, song->endTick);
    if (lines.size() > 65535) std::abort();
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (lines[i] <= lines[i - 1]) std::abort();
    RollLayout layout;
    FitKeys(layout, *song);
    if (layout.lowKey < 0 || layout.highKey > 127 || layout.lowKey > layout.highKey) std::abort();
    return 0;
}
