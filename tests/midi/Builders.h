#pragma once
// Test inputs made byte by byte: Standard MIDI Files and W-30 songs.

#include <array>
#include <filesystem>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace veldin::test {

using Bytes = std::vector<std::uint8_t>;

// One MIDI track chunk: events appended with their raw delta times.
class TrackBuilder {
public:
    TrackBuilder& delta(std::uint32_t d);
    TrackBuilder& raw(std::initializer_list<std::uint8_t> bytes);
    TrackBuilder& event(std::uint32_t d, std::initializer_list<std::uint8_t> bytes) { return delta(d).raw(bytes); }
    TrackBuilder& meta(std::uint32_t d, std::uint8_t type, const Bytes& data);
    TrackBuilder& name(std::string_view text) { return meta(0, 0x03, Bytes(text.begin(), text.end())); }
    TrackBuilder& tempo(std::uint32_t d, std::uint32_t usPerQuarter);
    TrackBuilder& timeSignature(std::uint32_t d, std::uint8_t nn, std::uint8_t dd);
    TrackBuilder& sysex(std::uint32_t d, const Bytes& dataWithF7);
    TrackBuilder& end(std::uint32_t d = 0) { return meta(d, 0x2F, {}); }
    Bytes chunk() const; // "MTrk" + length + events

private:
    Bytes events_;
};

Bytes Vlq(std::uint32_t v);
Bytes Smf(std::uint16_t format, std::uint16_t division, const std::vector<TrackBuilder>& tracks);
// Track chunk `index` of a MIDI file without "MTrk" and its length; empty when the file
// has no such chunk.
Bytes TrackChunk(const Bytes& midi, int index);

// A W-30 song: two header sectors, measure sectors, track blocks, tempo block.
struct Slot {
    std::array<std::uint8_t, 6> b{};
};
Slot Note(std::uint8_t channel, std::uint8_t delta, std::uint8_t key, std::uint8_t velocity, std::uint16_t duration);
Slot Channel(std::uint8_t status, std::uint8_t delta, std::uint8_t d1, std::uint8_t d2 = 0);
Slot Wait(std::uint16_t units);
Slot TempoSlot(std::uint8_t delta, int bpm);

class SongBuilder {
public:
    SongBuilder& name(std::string_view n) { name_ = n; return *this; }
    SongBuilder& tempo(int bpm) { tempo_ = bpm; return *this; }
    SongBuilder& timeSignature(std::uint8_t beat, std::uint16_t measure) { beat_ = beat; measure_ = measure; return *this; }
    SongBuilder& measures(std::vector<std::array<std::uint8_t, 3>> entries) { measures_ = std::move(entries); return *this; }
    SongBuilder& track(std::uint8_t type, std::vector<Slot> slots) { tracks_.push_back({type, std::move(slots)}); return *this; }
    SongBuilder& tempoBlock(std::vector<Slot> slots) { tempoSlots_ = std::move(slots); hasTempo_ = true; return *this; }
    SongBuilder& rawSector(Bytes sector) { extra_.push_back(std::move(sector)); return *this; }
    Bytes build() const;

private:
    std::string name_ = "TEST SONG";
    int tempo_ = 120;
    std::uint8_t beat_ = 96;
    std::uint16_t measure_ = 384;
    std::vector<std::array<std::uint8_t, 3>> measures_;
    std::vector<std::pair<std::uint8_t, std::vector<Slot>>> tracks_;
    std::vector<Slot> tempoSlots_;
    bool hasTempo_ = true;
    std::vector<Bytes> extra_;
};

// A song of `sectors` sectors with a valid header, filled with FFh.
Bytes SongOfSectors(std::size_t sectors, std::string_view name = "MY SONG");

// Track blocks as slots: each sector's slots, filling sectors of 84 and giving the last
// its count.
void AppendSlotBlock(Bytes& song, std::uint8_t type, const std::vector<Slot>& slots);

// The MIDI files of the Debian packages openttd-openmsx and planetblupi-music-midi,
// fetched once (apt-get download, nothing installed) into `cacheDir`; empty with the
// reason in `whyNot` when they cannot be had.
std::vector<std::filesystem::path> DebianMidiFiles(const std::filesystem::path& cacheDir, std::string& whyNot);

} // namespace veldin::test
