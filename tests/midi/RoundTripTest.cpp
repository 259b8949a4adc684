// What MIDI -> song -> MIDI must keep: notes that sound as long as in the file, tracks
// that stay together, every note ended, system exclusive messages whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "midi/MidiTexts.h"
#include "midi/MidiToSong.h"
#include "midi/Song.h"
#include "midi/SongToMidi.h"
#include "tests/midi/Builders.h"
#include "tests/support/TestSupport.h"

namespace veldin::midi {
namespace {

using test::Bytes;
using test::TrackBuilder;

struct Event {
    std::uint64_t tick = 0;
    std::uint8_t status = 0;
    Bytes data; // channel data bytes, or the sysex bytes without F0h (F7h included)
};

// The events of every track chunk of a MIDI file, at absolute ticks; meta events left out.
std::vector<std::vector<Event>> Tracks(const Bytes& midi) {
    std::vector<std::vector<Event>> tracks;
    for (Bytes c; !(c = test::TrackChunk(midi, static_cast<int>(tracks.size()))).empty();) {
        std::size_t p = 0;
        const auto vlq = [&] {
            std::uint64_t v = 0;
            while (c.at(p) & 0x80) v = (v << 7) | (c[p++] & 0x7F);
            return (v << 7) | c[p++];
        };
        std::vector<Event> events;
        std::uint64_t now = 0;
        std::uint8_t running = 0;
        while (p < c.size()) {
            now += vlq();
            Event e{now, c.at(p), {}};
            if (e.status < 0x80) e.status = running;
            else ++p;
            if (e.status == 0xFF) {
                ++p;
                p += static_cast<std::size_t>(vlq());
                continue;
            }
            std::size_t n = e.status == 0xF0 ? static_cast<std::size_t>(vlq()) : (e.status & 0xE0) == 0xC0 ? 1 : 2;
            if (e.status != 0xF0) running = e.status;
            e.data.assign(c.begin() + static_cast<std::ptrdiff_t>(p), c.begin() + static_cast<std::ptrdiff_t>(p + n));
            p += n;
            events.push_back(e);
        }
        tracks.push_back(events);
    }
    return tracks;
}

Bytes RoundTrip(const Bytes& midi) {
    test::ScriptedUi ui;
    MidiToSongOptions o;
    o.fileName = "trip.mid";
    auto song = midi2song(midi, ui, o);
    EXPECT_TRUE(song.ok()) << (song ? "" : song.failure().text);
    if (!song) return {};
    auto back = song_to_midi(*song, ui, {});
    EXPECT_TRUE(back.ok());
    return back ? *back : Bytes{};
}

bool IsOff(const Event& e) { return (e.status & 0xF0) == 0x80 || ((e.status & 0xF0) == 0x90 && e.data[1] == 0); }

TEST(RoundTrip, ARepeatedKeyKeepsSoundingUntilItsOwnEnd) {
    // Three quarter notes on one key, each starting where the previous ends.
    TrackBuilder t;
    t.event(0, {0x90, 60, 100}).event(96, {0x80, 60, 0}).event(0, {0x90, 60, 90}).event(96, {0x80, 60, 0});
    t.event(0, {0x90, 60, 80}).event(96, {0x80, 60, 0}).end();
    const auto tracks = Tracks(RoundTrip(test::Smf(1, 96, {TrackBuilder().end(), t})));
    ASSERT_EQ(tracks.size(), 2u);
    // A synthesiser plays one voice per key: a note lasts from its note-on to the next
    // note-on or note-off of the key.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> heard;
    bool sounding = false;
    std::uint64_t since = 0;
    for (const Event& e : tracks[1]) {
        if (sounding) heard.emplace_back(since, e.tick);
        sounding = !IsOff(e);
        since = e.tick;
    }
    EXPECT_EQ(heard, (std::vector<std::pair<std::uint64_t, std::uint64_t>>{{0, 96}, {96, 192}, {192, 288}}));
}

TEST(RoundTrip, TracksThatEndTogetherInTheFileEndTogether) {
    // At 480 per quarter a delta of 38 is 7.6 ticks: rounded one by one, ten of them
    // would make 80 ticks where the file has 76.
    TrackBuilder many, one;
    for (std::uint8_t i = 0; i < 10; ++i) many.event(38, {0xB0, 7, i});
    many.end();
    one.event(380, {0xB1, 7, 1}).end();
    const auto tracks = Tracks(RoundTrip(test::Smf(1, 480, {TrackBuilder().end(), many, one})));
    ASSERT_EQ(tracks.size(), 3u);
    ASSERT_EQ(tracks[1].size(), 10u);
    ASSERT_EQ(tracks[2].size(), 1u);
    EXPECT_EQ(tracks[1].back().tick, 76u);
    EXPECT_EQ(tracks[2].back().tick, 76u);
    EXPECT_EQ(tracks[1][4].tick, 38u); // 190 x 96 / 480
}

TEST(RoundTrip, ThreeHundredNotesSoundingAtOnceAllEnd) {
    std::vector<test::Slot> slots;
    for (int i = 0; i < 300; ++i)
        slots.push_back(test::Note(static_cast<std::uint8_t>(i % 16), 0, static_cast<std::uint8_t>(30 + i / 16), 100,
                                   static_cast<std::uint16_t>(1000 + i)));
    test::ScriptedUi ui;
    auto midi = song_to_midi(test::SongBuilder().track(0, slots).build(), ui, {});
    ASSERT_TRUE(midi.ok());
    const auto tracks = Tracks(*midi);
    ASSERT_EQ(tracks.size(), 2u);
    std::map<std::pair<int, int>, std::uint64_t> offs;
    for (const Event& e : tracks[1])
        if (IsOff(e)) offs[{e.status & 0x0F, e.data[0]}] = e.tick;
    ASSERT_EQ(offs.size(), 300u);
    for (int i = 0; i < 300; ++i) EXPECT_EQ((offs[{i % 16, 30 + i / 16}]), 1000u + static_cast<std::uint64_t>(i)) << i;
}

TEST(RoundTrip, SystemExclusiveMessagesComeBackByteForByte) {
    const auto message = [](std::size_t n, std::uint8_t seed) {
        Bytes m(n);
        for (std::size_t i = 0; i < n; ++i) m[i] = static_cast<std::uint8_t>((i * 7 + seed) % 128);
        m.push_back(0xF7);
        return m;
    };
    // 250 bytes fill 42 slots exactly; 1000 bytes go on over a sector's end.
    const std::vector<Bytes> dumps{message(3, 1), message(250, 2), message(251, 3), message(300, 4), message(1000, 5),
                                   message(249, 6)};
    TrackBuilder t;
    t.event(0, {0xC0, 5});
    // Each of the 251-byte and 300-byte dumps follows the one before at the same tick.
    for (std::size_t i = 0; i < dumps.size(); ++i) t.sysex(i == 2 || i == 3 ? 0 : 10, dumps[i]);
    t.end();
    const auto tracks = Tracks(RoundTrip(test::Smf(1, 96, {TrackBuilder().end(), t})));
    ASSERT_EQ(tracks.size(), 2u);
    std::vector<Bytes> back;
    for (const Event& e : tracks[1])
        if (e.status == 0xF0) back.push_back(e.data);
    EXPECT_EQ(back, dumps);
}

TEST(RoundTrip, AMessageGoesOnAfterTheNextSectorsHeader) {
    TrackBuilder t;
    for (int i = 0; i < 80; ++i) t.event(0, {0xB0, 7, 1});
    Bytes dump(100);
    for (std::size_t i = 0; i < dump.size(); ++i) dump[i] = static_cast<std::uint8_t>(i);
    dump.push_back(0xF7);
    t.sysex(0, dump).end();
    test::ScriptedUi ui;
    auto song = midi2song(test::Smf(1, 96, {TrackBuilder().end(), t}), ui, {});
    ASSERT_TRUE(song.ok());
    // Sectors: two header, two of track 0, one tempo (no time passes: no measure).
    ASSERT_EQ(song->size(), 5u * 512u);
    const std::size_t first = 2 * 512, second = 3 * 512;
    EXPECT_EQ(Bytes(song->begin() + first + 8 + 80 * 6, song->begin() + first + 8 + 80 * 6 + 6),
              (Bytes{0xF0, 0, 0, 1, 2, 3}));
    EXPECT_EQ((*song)[second + 1], 0);
    EXPECT_EQ((*song)[second + 7], 13u); // 16 data slots in all, 3 of them in the first sector
    EXPECT_EQ((*song)[second + 8], 22); // 4 + 3 x 6 bytes before the sector's end
    EXPECT_EQ((*song)[second + 8 + 13 * 6 - 1], 99); // 78 bytes fill the 13 slots
    EXPECT_EQ((*song)[second + 8 + 13 * 6], 0xFF);
}

// Each text must follow the one before it in the log.
void ExpectInOrder(const std::filesystem::path& log, const std::vector<std::string>& texts) {
    const auto bytes = test::ReadFile(log);
    const std::string text(bytes.begin(), bytes.end());
    std::size_t at = 0;
    for (const std::string& t : texts) {
        const std::size_t found = text.find(t, at);
        ASSERT_NE(found, std::string::npos) << "'" << t << "' after offset " << at << " in " << log;
        at = found + t.size();
    }
}

TEST(RoundTrip, BothLogsCarryTheirTextsInOrder) {
    test::TempDir dir;
    std::vector<test::Slot> slots(83, test::Channel(0xB0, 0, 7, 100));
    slots.push_back({{0xF0, 0, 1, 2, 3, 4}});
    slots.push_back({{5, 6, 7, 8, 9, 0xFF}});
    slots.push_back(test::Note(0, 5, 60, 100, 10));
    const Bytes song = test::SongBuilder()
                           .measures({{96, 0x80, 1}, {96, 0x80, 1}})
                           .track(2, slots)
                           .tempoBlock({test::TempoSlot(200, 100)})
                           .build();
    test::ScriptedUi ui;
    SongToMidiOptions o;
    o.logDir = dir.path();
    auto midi = song_to_midi(song, ui, o);
    ASSERT_TRUE(midi.ok());
    ExpectInOrder(dir / "ConversionLog-Song2MIDI.txt",
                  {"Conversion started...", "--- parse_song ---", "Extracting Track Names:", "Found Tempo block",
                   "Song Name = TEST SONG", "================== PASS 1 ==================", " HEADER block",
                   " TRACKNAME => TEST SONG", " COPYRIGHT => Converted with VELDIN MIDI Editor", " TIMESIGNATURE",
                   " KEYSIGNATURE", " TEMPO", "Length in sectors = ", " MEASURE block", " TEMPO", " ENDOFTRACK",
                   " TRACK block", "   Track Nr.:0002", " TRACKNAME", "[", "] ,6b events:00000000", "* end of cycle *",
                   " SYSEX", "calc_sysex()", "Event is spanning over more sectors, Sect:", " posit=", " new posit=",
                   "calc_sysex() ret", "eax=0000000A", "ecx=00000002", "* end of cycle *", "Next Sector:",
                   "Length in sectors = ", "\n\r================== PASS 2 ==================", " TRACK block",
                   "=====================\n\rConversion finished !"});

    MidiToSongOptions back;
    back.logDir = dir.path();
    back.fileName = "song.mid";
    int stored = 0;
    std::size_t storedSize = 0;
    back.store = [&](std::span<const std::uint8_t> s) {
        ++stored;
        storedSize = s.size();
    };
    auto converted = midi2song(*midi, ui, back);
    ASSERT_TRUE(converted.ok());
    EXPECT_EQ(stored, 1);
    EXPECT_EQ(storedSize, converted->size());
    ExpectInOrder(dir / "midi2song.txt",
                  {"VELDIN v2 Conversion Log\n\r", "=====================\n\rConversion started...",
                   "--- function: perform_loadmidi --- \n\r", "Allocate memory for MIDI file",
                   "--- function: midi2song --- \n\r", "BPQN (Beats Per Quarter Note) = 00000004",
                   "Coefficient = 1.0", "Tracks to parse 00000001", "--- function: parse_MTrk ---  - 0000",
                   "ME_TRACKNAME    ", "ME_CONTROL    ", "ME_SYSEX      ", "NOTEON     ", "NOTEOFF    ",
                   "--- function: parse_MainMTrk --- ", "ME_TIMESIGNATURE", "found main measure", "ME_TEMPO        ",
                   "Main Tempo", "END_OF_TRACK", "Lenght of measures = ", "Lenght of tempo = ",
                   "Allocate memory for Roland song", "Lenght of tracks = ", "--- function: midi2song end --- \n\r",
                   "--- invoke: write_song ---", "--- exit: write_song ---",
                   "=====================\n\rConversion finished !"});
    // A file without its track chunk says so before the failure.
    Bytes cut = *midi;
    cut[14] = 'X';
    EXPECT_FALSE(midi2song(cut, ui, back).ok());
    ExpectInOrder(dir / "midi2song.txt", {"MTrk expected >> exit ", "ERROR !!!", "--- label:midi_exit ---",
                                          "Error occured while parsing MIDI file!"});
}

} // namespace
} // namespace veldin::midi
