#pragma once
// Hearing a tone: the sample sequence its loop mode plays between its points, at the
// rate of the output (linear interpolation where the output runs at another rate).
//
//   Forward    Start -> End, then Loop -> End again and again
//   Alternate  Start -> End, then End -> Loop -> End ... back and forth
//   One-Shot   Start -> End once
//   Reverse    End -> Start once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace veldin::tone {

struct PlayRegion {
    std::int64_t start = 0, loop = 0, end = 0; // sample indices, End included
    int loopMode = 0;                          // 0 Forward, 1 Alternate, 2 One-Shot, 3 Reverse
};

class PlaybackCursor {
public:
    // Points outside the wave are held inside it; an End before Start plays nothing.
    PlaybackCursor(std::vector<std::int16_t> wave, PlayRegion region, int toneRate, int outputRate);

    // Fills `out`; fewer samples than asked for only when the sound has ended.
    std::size_t read(std::span<std::int16_t> out);
    bool finished() const { return finished_; }

private:
    std::int16_t at(std::int64_t fixedPos) const;

    std::vector<std::int16_t> wave_;
    std::int64_t start_ = 0, loop_ = 0, end_ = 0; // in 32.32 fixed point
    int mode_ = 0;
    std::int64_t pos_ = 0, step_ = 0;
    int direction_ = 1;
    bool finished_ = false;
};

// Whether the window's Play can start, and the tooltip that says why not. The first
// reason that holds wins: without a selected tone nothing else matters, and a switched-off
// or missing output is the same for every tone.
enum class PlayBlock { None, NoTone, SoundOff, NoDevice, NoWave };
struct PlayConditions {
    bool toneSelected = false;
    bool soundOff = false;    // "No Sound" in the preferences
    bool haveDevice = false;  // the system has an output to play on
    bool waveInImage = false; // the tone's wave is on the disk (not a ROM wave)
};
PlayBlock WhyNoPlay(const PlayConditions& c);
// What Play plays of a tone: its points, and its loop mode (a byte beyond the four modes
// plays Forward, as the parameter dialog shows it).
PlayRegion RegionOf(std::int64_t start, std::int64_t loop, std::int64_t end, int loopModeByte);
std::string_view PlayBlockText(PlayBlock b); // empty for None

// The wave as the player takes it: the record's 16-bit words (low four bits zero) as
// signed samples.
std::vector<std::int16_t> SignedSamples(std::span<const std::uint16_t> words);

} // namespace veldin::tone
