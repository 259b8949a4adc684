#include <gtest/gtest.h>

#include <algorithm>

#include "midi/MidiTexts.h"
#include "midi/MidiToSong.h"
#include "midi/Song.h"
#include "midi/SongToMidi.h"
#include "tests/midi/Builders.h"
#include "tests/support/TestSupport.h"

namespace veldin::midi {
namespace {

using test::Bytes;
using test::Channel;
using test::Note;
using test::SongBuilder;

Bytes Convert(const Bytes& song, test::ScriptedUi& ui, SongToMidiOptions o = {}) {
    auto r = song_to_midi(song, ui, o);
    EXPECT_TRUE(r.ok()) << (r ? "" : r.failure().text);
    return r ? *r : Bytes{};
}

// A track's events after its name event "00 FF 03 len name".
Bytes TrackEvents(const Bytes& midi, int index) {
    const Bytes c = test::TrackChunk(midi, index);
    if (c.size() < 4) return {};
    return Bytes(c.begin() + 4 + c[3], c.end());
}

TEST(SongToMidi, HeaderMeasuresAndTempoOnlyGiveTheConductorTrack) {
    test::ScriptedUi ui;
    const Bytes song = SongBuilder().measures({{96, 0x80, 1}, {96, 0x80, 1}}).tempoBlock({}).build();
    const Bytes midi = Convert(song, ui);
    const Bytes header{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0, 96};
    ASSERT_GE(midi.size(), header.size());
    EXPECT_TRUE(std::equal(header.begin(), header.end(), midi.begin()));
    Bytes expected{0, 0xFF, 3, 9, 'T', 'E', 'S', 'T', ' ', 'S', 'O', 'N', 'G', 0, 0xFF, 2, 33};
    const std::string note = "Converted with VELDIN MIDI Editor";
    expected.insert(expected.end(), note.begin(), note.end());
    for (std::uint8_t b : {0, 0xFF, 0x58, 4, 4, 2, 24, 8, 0, 0xFF, 0x59, 2, 0, 0, 0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20, 0,
                           0xFF, 0x2F, 0})
        expected.push_back(b);
    EXPECT_EQ(test::TrackChunk(midi, 0), expected);
    EXPECT_EQ(midi.size(), 14 + 8 + expected.size());
    EXPECT_TRUE(ui.shown().empty());
}

TEST(SongToMidi, TempoAndSignatureChangesOnlyWhereTheyChange) {
    test::ScriptedUi ui;
    const Bytes song = SongBuilder()
                           .measures({{96, 0x80, 1}, {96, 0x80, 1}, {48, 0x20, 1}})
                           .tempoBlock({test::TempoSlot(100, 120), test::TempoSlot(100, 140), test::TempoSlot(200, 140)})
                           .build();
    const Bytes c = test::TrackChunk(Convert(song, ui), 0);
    // After the header events: tempo 140 at tick 200, 6/8 at tick 768, end.
    const Bytes tail{0x81, 0x48, 0xFF, 0x51, 3, 0x06, 0x8A, 0x1B, 0x84, 0x38, 0xFF, 0x58, 4, 6, 3, 12, 8, 0, 0xFF, 0x2F, 0};
    ASSERT_GE(c.size(), tail.size());
    EXPECT_EQ(Bytes(c.end() - static_cast<std::ptrdiff_t>(tail.size()), c.end()), tail);
}

TEST(SongToMidi, NoteOffsComeBeforeLaterEventsWithRunningStatus) {
    struct Case {
        const char* what;
        std::vector<test::Slot> slots;
        Bytes events; // the track's last events
    };
    std::vector<test::Slot> sysex(83, Channel(0xB0, 0, 7, 100));
    sysex.insert(sysex.end(), {{{0xF0, 0, 1, 2, 3, 4}}, {{5, 6, 7, 8, 9, 0xFF}}, Note(0, 5, 60, 100, 10)});
    const Case cases[] = {
        {"zero duration", {Note(0, 0, 60, 100, 0), Channel(0xB0, 1, 7, 100)},
         {0, 0x90, 60, 100, 0, 60, 0, 1, 0xB0, 7, 100, 0, 0xFF, 0x2F, 0}},
        {"same key when the first ends", {Note(0, 0, 60, 100, 10), Note(0, 10, 60, 90, 10)},
         {0, 0x90, 60, 100, 10, 60, 0, 0, 60, 90, 10, 60, 0, 0, 0xFF, 0x2F, 0}},
        {"status repeated after a flushed note-off",
         {Note(0, 0, 60, 100, 5), Channel(0xB0, 1, 7, 100), Channel(0xB0, 10, 10, 64)},
         {0, 0x90, 60, 100, 1, 0xB0, 7, 100, 4, 0x90, 60, 0, 6, 0xB0, 10, 64, 0, 0xFF, 0x2F, 0}},
        {"wait slot", {test::Wait(1), Note(2, 44, 64, 80, 96)},
         {0x82, 0x2C, 0x92, 64, 80, 0x60, 64, 0, 0, 0xFF, 0x2F, 0}},
        {"one-byte messages and pitch wheel",
         {Channel(0xC1, 0, 5), Channel(0xD1, 0, 40), Channel(0xE1, 3, 0x11, 0x22)},
         {0, 0xC1, 5, 0, 0xD1, 40, 3, 0xE1, 0x11, 0x22, 0, 0xFF, 0x2F, 0}},
        {"system exclusive continued in the next sector of the track", sysex,
         {0, 0xF0, 10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xF7, 5, 0x90, 60, 100, 10, 60, 0, 0, 0xFF, 0x2F, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::ScriptedUi ui;
        const Bytes midi = Convert(SongBuilder().track(3, c.slots).build(), ui);
        EXPECT_EQ(midi[11], 2); // conductor and one track
        const Bytes events = TrackEvents(midi, 1);
        ASSERT_GE(events.size(), c.events.size());
        EXPECT_EQ(Bytes(events.end() - static_cast<std::ptrdiff_t>(c.events.size()), events.end()), c.events);
    }
}

TEST(SongToMidi, TrackNamesFromTheChosenSource) {
    const Bytes song = SongBuilder().track(0, {Note(0, 0, 60, 1, 1)}).track(9, {Note(0, 0, 60, 1, 1)}).build();
    const auto name = [](const Bytes& midi, int track) {
        const Bytes c = test::TrackChunk(midi, track);
        return std::string(c.begin() + 4, c.begin() + 4 + c[3]);
    };
    test::ScriptedUi ui;
    SongToMidiOptions o;
    Bytes midi = Convert(song, ui, o);
    EXPECT_EQ(name(midi, 1), "TRACK 1");
    EXPECT_EQ(name(midi, 2), "TRACK 10");
    o.patchName = [](int patch) { return std::optional<std::string>(patch == 0 ? "PIANO" : "?"); };
    o.trackNames = TrackNameSource::TrackAndPatch;
    midi = Convert(song, ui, o);
    EXPECT_EQ(name(midi, 1), "TRACK 1 / PIANO");
    EXPECT_EQ(name(midi, 2), "TRACK 10");
    o.trackNames = TrackNameSource::Patch;
    midi = Convert(song, ui, o);
    EXPECT_EQ(name(midi, 1), "PIANO");
    EXPECT_EQ(name(midi, 2), "");
    o.patchName = nullptr; // not a Sound & Song disk
    midi = Convert(song, ui, o);
    EXPECT_EQ(name(midi, 1), "");
}

TEST(SongToMidi, UnknownBlocksWarnInEachPassAndAreSkipped) {
    Bytes odd(512, 0xFF);
    odd[1] = 0x20;
    test::ScriptedUi ui;
    const Bytes midi = Convert(SongBuilder().rawSector(odd).track(1, {Note(1, 0, 60, 1, 1)}).build(), ui);
    EXPECT_EQ(midi[11], 2);
    ASSERT_EQ(ui.shown().size(), 2u);
    EXPECT_EQ(ui.shown()[0].text, text::kUnknownTrackType);
    EXPECT_EQ(ui.shown()[0].icon, Icon::Warning);
}

TEST(SongToMidi, RefusesWhatIsNotASongOrClaimsMoreThanItHolds) {
    test::ScriptedUi ui;
    Bytes song = SongBuilder().track(0, {Note(0, 0, 60, 1, 1), {{0x80, 0, 60, 0, 0, 0}}}).build();
    auto r = song_to_midi(song, ui, {});
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.failure().text, text::kUnknownMidiEvent);
    EXPECT_EQ(SongToMidiTitle(r.failure()), "Fennet.dll");

    song = SongBuilder().track(0, {Note(0, 0, 60, 1, 1)}).build();
    song[36] += 1; // one sector more than there is
    r = song_to_midi(song, ui, {});
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.failure().text, text::kNotASong);
    EXPECT_EQ(SongToMidiTitle(r.failure()), "MIDI Editor");

    song.resize(1536);
    EXPECT_FALSE(is_song(song));
    EXPECT_FALSE(song_to_midi(song, ui, {}).ok());
    song[36] -= 1;
    song.resize(2048, 0xFF);
    EXPECT_TRUE(is_song(song));
    song[7] = 0x53;
    EXPECT_FALSE(is_song(song));
}

TEST(SongToMidi, TempoInMicrosecondsRoundsTiesToEvenAndStaysIn24Bits) {
    // 7812.5 and 23437.5 round to even; no tempo or one below the offset is the slowest.
    const std::pair<int, std::uint32_t> cases[] = {{120, 500000}, {7680, 7812},      {2560, 23438},
                                                    {0, 0xFFFFFF}, {-8, 0xFFFFFF}, {3, 0xFFFFFF}};
    for (const auto& [bpm, us] : cases)
        EXPECT_EQ(MicrosecondsPerQuarter(bpm), us) << bpm;
}

TEST(SongHeader, ReadsTheFieldsTrimmed) {
    Bytes song = SongBuilder().name("  SPACED\t").tempo(300).timeSignature(48, 288).measures({{48, 32, 1}}).build();
    song[311] = 7;
    song[319 + 15] = 99;
    const SongHeader h = read_song_header(song);
    EXPECT_EQ(h.name, "SPACED");
    EXPECT_EQ(h.tempo, 300);
    EXPECT_EQ(h.measures, 1);
    EXPECT_EQ(h.sectors, 4u);
    EXPECT_EQ(h.timeSignature, (TimeSignature{48, 288}));
    EXPECT_EQ(h.trackNames[1], "TRACK 2 ");
    EXPECT_EQ(h.patches[0], 7);
    EXPECT_EQ(h.volumes[15], 99);
}

} // namespace
} // namespace veldin::midi
