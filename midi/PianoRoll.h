#pragma once
// What the piano-roll preview shows of a song: the notes, tempi and time signatures of
// the Standard MIDI File that the song-to-MIDI conversion makes of it (so the preview
// and Save MIDI can never disagree), and where each of them goes on the screen.
//
// The file read here is format 1 as the conversion writes it; any other bytes are read
// as far as they make sense and refused with false, never read past their end.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace veldin::midi {

struct RollNote {
    int track = 0;      // 0 = the first track after the conductor
    int channel = 0;
    int key = 0;        // 0-127
    int velocity = 0;
    std::uint32_t start = 0;  // ticks
    std::uint32_t length = 0; // ticks, at least 1
    friend bool operator==(const RollNote&, const RollNote&) = default;
};

struct RollTempo {
    std::uint32_t tick = 0;
    double bpm = 120.0;
};

struct RollMeter {
    std::uint32_t tick = 0;
    int numerator = 4;
    int denominator = 4;
    friend bool operator==(const RollMeter&, const RollMeter&) = default;
};

struct RollSong {
    std::uint16_t division = 96;
    std::vector<std::string> trackNames; // one per track after the conductor
    std::vector<RollNote> notes;         // in track order, then by start
    std::vector<RollTempo> tempi;
    std::vector<RollMeter> meters;
    std::uint32_t endTick = 0;           // the latest end of a note or a track
};

// Reads the notes of a Standard MIDI File; nullopt when the bytes are not one.
// A note-on without its note-off lasts to the end of its track.
std::optional<RollSong> ReadRoll(std::span<const std::uint8_t> midi);

// Where things go: time runs to the right, higher keys up, a header band on top for
// the tempo and time signature text.
struct RollLayout {
    double pixelsPerTick = 0.25; // zoom
    int keyHeight = 6;           // a row per key
    int header = 20;             // the band above the notes
    int lowKey = 36, highKey = 84; // the keys shown, inclusive

    int width(const RollSong& song) const;
    int height() const { return header + (highKey - lowKey + 1) * keyHeight; }
    int x(std::uint32_t tick) const;
    int y(int key) const; // top of the key's row
    struct Rect {
        int x = 0, y = 0, w = 0, h = 0;
        friend bool operator==(const Rect&, const Rect&) = default;
    };
    Rect noteRect(const RollNote& n) const; // at least 2 pixels wide
};

// The keys of the song's notes with a margin, never fewer than two octaves, within 0-127.
void FitKeys(RollLayout& layout, const RollSong& song);

// The ticks at which measures begin up to `endTick`, following every time signature
// (a new signature starts a new measure where it stands).
std::vector<std::uint32_t> MeasureStarts(const RollSong& song, std::uint32_t endTick);

// "120 BPM  4/4": the first tempo and time signature.
std::string HeaderText(const RollSong& song);

// Zoom steps: each step doubles or halves, within 1/64 and 4 pixels per tick.
double ZoomStep(double pixelsPerTick, int steps);

} // namespace veldin::midi
