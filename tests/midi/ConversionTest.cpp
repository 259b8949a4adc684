// Songs to MIDI files and back: the bytes each direction writes, its refusals and logs,
// and what MIDI -> song -> MIDI must keep: notes that sound as long as in the file, tracks
// that stay together, every note ended, system exclusive messages whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "core/Bytes.h"
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
using test::TrackBuilder;

Bytes Convert(const Bytes& song, test::ScriptedUi& ui, SongToMidiOptions o = {}) {
    auto r = song_to_midi(song, ui, o);
    EXPECT_TRUE(r.ok()) << (r ? "" : r.failure().text);
    return r ? *r : Bytes{};
}

Bytes ToSong(const Bytes& midi, test::ScriptedUi& ui, MidiToSongOptions o = {}) {
    if (o.fileName.empty()) o.fileName = "song.mid";
    auto r = midi2song(midi, ui, o);
    EXPECT_TRUE(r.ok()) << (r ? "" : r.failure().text);
    return r ? *r : Bytes{};
}

std::string Field(const Bytes& song, std::size_t at, std::size_t n) {
    return std::string(song.begin() + static_cast<std::ptrdiff_t>(at), song.begin() + static_cast<std::ptrdiff_t>(at + n));
}

// The slots of the track or tempo block of `type`, over all its sectors, as the song
// reader sees them (each sector's slot count).
std::vector<std::array<std::uint8_t, 6>> Slots(const Bytes& song, std::uint8_t type) {
    std::vector<std::array<std::uint8_t, 6>> out;
    for (std::size_t s = 0; s + 512 <= song.size(); s += 512) {
        if (song[s + 1] != type) continue;
        const std::size_t n = SlotCount(std::span(song).subspan(s, 8));
        for (std::size_t i = 0; i < n; ++i) {
            std::array<std::uint8_t, 6> slot{};
            std::copy_n(song.begin() + static_cast<std::ptrdiff_t>(s + 8 + 6 * i), 6, slot.begin());
            out.push_back(slot);
        }
    }
    return out;
}

std::uint32_t HeaderSectors(const Bytes& song) { return ReadLe32(std::span(song).subspan(36, 4)); }
int HeaderMeasures(const Bytes& song) { return (song[43] << 8) | song[44]; }

TEST(MidiToSong, AbsoluteTimesAreRescaledWithTiesToEven) {
    struct Case {
        std::uint64_t raw;
        std::uint16_t division;
        std::uint64_t ticks;
    };
    for (const Case& c : {Case{240, 480, 48}, Case{38, 480, 8}, Case{380, 480, 76}, Case{25, 960, 2}, Case{35, 960, 4},
                          Case{0x0FFFFFFF, 48, 0x1FFFFFFE}, Case{7, 0, 0}}) {
        SCOPED_TRACE(c.raw);
        EXPECT_EQ(RescaleTime(c.raw, c.division), c.ticks);
    }
}

TEST(MidiToSong, TimeSignaturesInW30Form) {
    struct Case {
        std::uint8_t nn, dd;
        SignatureOutcome outcome;
        W30TimeSignature sig;
    };
    for (const Case c : {Case{6, 3, SignatureOutcome::Ok, {48, 288}}, Case{2, 0, SignatureOutcome::Ok, {192, 768}},
                         Case{8, 6, SignatureOutcome::Ok, {24, 48}}, Case{3, 5, SignatureOutcome::Odd, {}},
                         Case{0, 2, SignatureOutcome::Unusable, {}}, Case{255, 0, SignatureOutcome::Unusable, {}}}) {
        SCOPED_TRACE(std::to_string(c.nn) + "/" + std::to_string(c.dd));
        W30TimeSignature got;
        EXPECT_EQ(ConvertTimeSignature(c.nn, c.dd, got), c.outcome);
        if (c.outcome == SignatureOutcome::Ok) {
            EXPECT_EQ(got, c.sig);
        }
    }
}

TrackBuilder Conductor() { return TrackBuilder().name("CONDUCTOR TITLE").timeSignature(0, 4, 2).tempo(0, 500000); }

TEST(MidiToSong, HeaderAndBlocksAgreeWithWhatIsWritten) {
    TrackBuilder c = Conductor();
    c.tempo(384, 428571).end();
    TrackBuilder t;
    t.name("A LONG TRACK NAME").event(0, {0xC0, 5}).event(0, {0xB0, 7, 100}).event(0, {0xB0, 7, 20});
    t.event(0, {0x90, 60, 100}).event(96, {0x80, 60, 0}).event(1440, {0x90, 62, 90}).event(0, {62, 0}).end();
    test::ScriptedUi ui;
    const Bytes song = ToSong(test::Smf(1, 96, {c, t}), ui);
    ASSERT_TRUE(is_song(song));
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_EQ(song.size(), HeaderSectors(song) * 512u);
    EXPECT_EQ(Field(song, 8, 28), "song.mid                    ");
    EXPECT_EQ(song[40], 120);
    EXPECT_EQ(HeaderMeasures(song), 4); // 1536 ticks of 4/4
    EXPECT_EQ(song[53], 96);
    EXPECT_EQ(ReadLe16(std::span(song).subspan(54, 2)), 384);
    EXPECT_EQ(Field(song, 72, 8), "A LONG T");
    EXPECT_EQ(Field(song, 80, 8), "        ");
    EXPECT_EQ(song[311], 5);
    EXPECT_EQ(song[319], 100);
    // Sector 1 repeats the sector header; the measures follow in sector 2.
    EXPECT_TRUE(std::equal(song.begin(), song.begin() + 8, song.begin() + 512));
    EXPECT_EQ(song[1024 + 1], 0x18);
    const auto track = Slots(song, 0);
    ASSERT_EQ(track.size(), 6u);
    EXPECT_EQ(track[0], (std::array<std::uint8_t, 6>{0xC0, 0, 5, 0, 0, 0}));
    EXPECT_EQ(track[3], (std::array<std::uint8_t, 6>{0x90, 0, 60, 100, 96, 0}));
    EXPECT_EQ(track[4], (std::array<std::uint8_t, 6>{0xFE, 0, 6, 0, 0, 0})); // 1536 = 6 x 256
    EXPECT_EQ(track[5], (std::array<std::uint8_t, 6>{0x90, 0, 62, 90, 0, 0}));
    // Tempo 140 at 384: a wait unit, then delta 128; value (140 + 8) x 2.
    const auto tempo = Slots(song, 0x10);
    ASSERT_EQ(tempo.size(), 2u);
    EXPECT_EQ(tempo[0], (std::array<std::uint8_t, 6>{0xFE, 0, 1, 0, 0, 0}));
    EXPECT_EQ(tempo[1], (std::array<std::uint8_t, 6>{0xF9, 128, 0x28, 0x01, 0, 0}));
}

TEST(MidiToSong, LongDeltasGetWaitSlotsAndLongSysexStaysOneMessage) {
    TrackBuilder t;
    Bytes data(300);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i % 128);
    data.push_back(0xF7);
    t.event(300, {0x90, 64, 1}).event(1, {0x80, 64, 0}).sysex(0, data).end();
    test::ScriptedUi ui;
    const Bytes song = ToSong(test::Smf(1, 96, {Conductor().end(), t}), ui);
    const auto s = Slots(song, 0);
    ASSERT_EQ(s.size(), 2u + 51u); // 4 + 50 x 6 bytes hold 300
    EXPECT_EQ(s[0], (std::array<std::uint8_t, 6>{0xFE, 0, 1, 0, 0, 0}));
    EXPECT_EQ(s[1], (std::array<std::uint8_t, 6>{0x90, 44, 64, 1, 1, 0}));
    EXPECT_EQ(s[2], (std::array<std::uint8_t, 6>{0xF0, 1, 0, 1, 2, 3}));
    EXPECT_EQ(s[44], (std::array<std::uint8_t, 6>{250 % 128, 251 % 128, 252 % 128, 253 % 128, 254 % 128, 255 % 128}));
    EXPECT_EQ(s[52], (std::array<std::uint8_t, 6>{298 % 128, 299 % 128, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(MidiToSong, ProgramsOfTracks9To16LeaveTheVolumesAlone) {
    std::vector<TrackBuilder> tracks{Conductor().end()};
    for (std::uint8_t t = 0; t < 16; ++t) {
        TrackBuilder b;
        b.event(0, {static_cast<std::uint8_t>(0xC0 | t), static_cast<std::uint8_t>(t + 10)});
        b.event(0, {static_cast<std::uint8_t>(0xB0 | t), 7, static_cast<std::uint8_t>(50 + t)}).end();
        tracks.push_back(b);
    }
    test::ScriptedUi ui;
    const Bytes song = ToSong(test::Smf(1, 96, tracks), ui);
    for (std::size_t t = 0; t < 8; ++t) EXPECT_EQ(song[311 + t], std::min<std::size_t>(t + 10, 16)) << t;
    for (std::size_t t = 0; t < 16; ++t) EXPECT_EQ(song[319 + t], 50 + t) << t;
}

TEST(MidiToSong, AFileWithoutTimeSignatureIsInFourFour) {
    TrackBuilder c;
    c.tempo(0, 600000).end(0);
    TrackBuilder t;
    t.event(0, {0x90, 60, 1}).event(768 * 5, {0x80, 60, 0}).end();
    test::ScriptedUi ui;
    const Bytes song = ToSong(test::Smf(1, 192, {c, t}), ui);
    EXPECT_EQ(std::tuple(song[53], ReadLe16(std::span(song).subspan(54, 2)), HeaderMeasures(song), song[40]),
              std::tuple(96, 384, 5, 100));
}

TEST(MidiToSong, TempiAboveTwoHundredFiftyFiveKeepTheirHighByte) {
    TrackBuilder c;
    c.tempo(0, 200000).tempo(96, 0).tempo(96, 150000).end(384); // 300 BPM; a tempo of 0 is left out
    test::ScriptedUi ui;
    const Bytes song = ToSong(test::Smf(1, 96, {c}), ui);
    EXPECT_EQ(ReadLe16(std::span(song).subspan(40, 2)), 300);
    const auto tempo = Slots(song, 0x10);
    ASSERT_EQ(tempo.size(), 1u);
    EXPECT_EQ(tempo[0], (std::array<std::uint8_t, 6>{0xF9, 192, 0x30, 0x03, 0, 0})); // (400 + 8) x 2
}

TEST(MidiToSong, TwoSignaturesAtOneTickGiveOneMeasureOfTheFirst) {
    TrackBuilder c;
    c.timeSignature(0, 4, 2).timeSignature(0, 3, 2).end(288 * 2);
    test::ScriptedUi ui;
    const Bytes song = ToSong(test::Smf(1, 96, {c}), ui);
    EXPECT_EQ(HeaderMeasures(song), 3);
    EXPECT_EQ(Field(song, 1024 + 8, 9), Field(Bytes{96, 0x80, 1, 96, 0x20, 1, 96, 0x20, 1}, 0, 9));
}

TEST(MidiToSong, OnlySeventeenTracksAndNoNotesFromTheConductor) {
    std::vector<TrackBuilder> tracks;
    TrackBuilder c = Conductor();
    c.event(0, {0x90, 60, 100}).event(10, {0x80, 60, 0}).end();
    tracks.push_back(c);
    for (int t = 0; t < 19; ++t) {
        TrackBuilder b;
        b.name("T" + std::to_string(t)).event(0, {0x90, 60, 100}).event(10, {0x80, 60, 0}).end();
        tracks.push_back(b);
    }
    test::ScriptedUi ui;
    const Bytes song = ToSong(test::Smf(1, 96, tracks), ui);
    std::vector<int> types;
    for (std::size_t s = 1024; s < song.size(); s += 512)
        if (song[s + 1] <= 0x0F) types.push_back(song[s + 1]);
    ASSERT_EQ(types.size(), 16u);
    for (int t = 0; t < 16; ++t) EXPECT_EQ(types[static_cast<std::size_t>(t)], t);
    EXPECT_EQ(Field(song, 72 + 8 * 15, 8), "T15     ");
    for (int t = 0; t < 16; ++t) EXPECT_EQ(Slots(song, static_cast<std::uint8_t>(t)).size(), 1u);
}

TEST(MidiToSong, EventsOfATrackBecomeSlots) {
    using Slot = std::array<std::uint8_t, 6>;
    struct Case {
        const char* what;
        TrackBuilder track;
        std::vector<Slot> slots;
    };
    const Case cases[] = {
        {"a system exclusive message ends at its first byte with the top bit set",
         TrackBuilder().sysex(2, {0x41, 0x10, 0x90, 0x42, 0xF7}).event(0, {0x90, 60, 100}).event(0, {0x80, 60, 0}),
         {{0xF0, 2, 0x41, 0x10, 0xFF, 0xFF}, {0x90, 0, 60, 100, 0, 0}}},
        {"system messages and escapes are passed over",
         TrackBuilder().event(0, {0xF7, 2, 0x43, 0x12}).event(0, {0xF2, 1, 2}).event(0, {0xF6}).event(0, {0xF1, 3})
             .event(5, {0x90, 60, 100}).event(0, {0x3E, 90}).event(10, {0x80, 60, 0}).event(0, {0x3E, 0}),
         {{0x90, 5, 60, 100, 10, 0}, {0x90, 0, 62, 90, 10, 0}}},
        {"a note without its end lasts a quarter",
         TrackBuilder().event(0, {0x90, 60, 100}).event(10, {0x80, 61, 0}), {{0x90, 0, 60, 100, 96, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TrackBuilder t = c.track;
        test::ScriptedUi ui;
        const Bytes song = ToSong(test::Smf(1, 96, {Conductor().end(), t.end()}), ui);
        EXPECT_EQ(Slots(song, 0), c.slots);
        EXPECT_TRUE(song_to_midi(song, ui, {}).ok());
    }
}

class FixedPrompt final : public SongNamePrompt {
public:
    std::optional<std::string> askSongName(std::string_view proposed) override {
        seen = proposed;
        return "TYPED NAME";
    }
    std::string seen;
};

TEST(MidiToSong, SongNameFromFileTitleOrPrompt) {
    const Bytes midi = test::Smf(1, 96, {Conductor().end(384)});
    test::ScriptedUi ui;
    MidiToSongOptions o;
    o.fileName = "a very long file name of more than 28 characters.mid";
    EXPECT_EQ(Field(ToSong(midi, ui, o), 8, 28), "a very long file name of mor");
    o.songName = SongNameSource::Title;
    EXPECT_EQ(Field(ToSong(midi, ui, o), 8, 28), "CONDUCTOR TITLE             ");
    FixedPrompt prompt;
    o.songName = SongNameSource::Prompt;
    o.prompt = &prompt;
    EXPECT_EQ(Field(ToSong(midi, ui, o), 8, 28), "TYPED NAME                  ");
    EXPECT_EQ(prompt.seen, "a very long file name of mor");
}

TEST(MidiToSong, RefusalsCarryTheFixedTextsAndProduceNothing) {
    TrackBuilder ok = Conductor();
    ok.end();
    const Bytes good = test::Smf(1, 96, {ok});
    struct Case {
        const char* what;
        Bytes midi;
        std::string_view text;
    };
    Bytes notMidi = good;
    notMidi[0] = 'X';
    Bytes format0 = test::Smf(0, 96, {ok});
    Bytes truncated = good;
    truncated.pop_back();
    Bytes missingTrack = good;
    missingTrack[11] = 2; // claims two tracks, holds one
    Bytes notMTrk = good;
    notMTrk[14] = 'X';
    TrackBuilder vlq;
    vlq.raw({0x81, 0x81});
    TrackBuilder noStatus;
    noStatus.event(0, {0x3C, 0x40}).end();
    TrackBuilder odd;
    odd.timeSignature(0, 3, 5).end();
    Bytes zeroDivision = good;
    zeroDivision[13] = 0;
    const auto smpte = [&](std::uint16_t division) { return test::Smf(1, division, {ok, TrackBuilder().event(100, {0x90, 60, 1}).end()}); };
    for (const Case& c :
         {Case{"no MThd", notMidi, text::kNotMidi}, Case{"format 0", format0, text::kNotFormat1},
          Case{"chunk past the end", truncated, text::kMidiParseError},
          Case{"missing track", missingTrack, text::kMidiParseError}, Case{"no MTrk", notMTrk, text::kMidiParseError},
          Case{"number past the chunk", test::Smf(1, 96, {ok, vlq}), text::kMidiParseError},
          Case{"data without status", test::Smf(1, 96, {ok, noStatus}), text::kMidiParseError},
          Case{"3/32", test::Smf(1, 96, {odd}), text::kOddTimeSignature},
          Case{"division 0", zeroDivision, text::kMidiParseError},
          Case{"SMPTE 25 fps", smpte(0xE728), text::kBadResolution},
          Case{"SMPTE 128", smpte(0x8060), text::kBadResolution},
          Case{"header only", Bytes(good.begin(), good.begin() + 13), text::kNotMidi},
          Case{"nothing to convert", good, text::kMidiParseError}}) {
        SCOPED_TRACE(c.what);
        test::ScriptedUi ui;
        auto r = midi2song(c.midi, ui, {});
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.failure().text, c.text);
    }
}

TEST(MidiToSong, UnusualDivisionWarnsAndConverts) {
    TrackBuilder t;
    t.event(100, {0x90, 60, 100}).event(100, {0x80, 60, 0}).end();
    test::ScriptedUi ui;
    const Bytes song = ToSong(test::Smf(1, 100, {Conductor().end(), t}), ui);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, text::kBadResolution);
    EXPECT_EQ(ui.shown()[0].icon, Icon::Warning);
    const auto s = Slots(song, 0);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0], (std::array<std::uint8_t, 6>{0x90, 96, 60, 100, 96, 0}));
}

// A song made from a MIDI file, turned into MIDI and back, is the same song.
TEST(MidiToSong, SongToMidiAndBackGivesTheSameSong) {
    TrackBuilder c = Conductor();
    c.tempo(500, 400000).timeSignature(1036, 6, 3).tempo(300, 450000).end(2000);
    std::vector<TrackBuilder> tracks{c};
    for (std::uint8_t t = 0; t < 3; ++t) {
        TrackBuilder b;
        b.name("TRK" + std::to_string(t)).event(0, {static_cast<std::uint8_t>(0xC0 | t), 3}).event(0, {static_cast<std::uint8_t>(0xB0 | t), 7, 90});
        for (int n = 0; n < 200; ++n) {
            const auto ch = static_cast<std::uint8_t>(0x90 | t);
            b.event(static_cast<std::uint32_t>(n % 7 == 0 ? 700 : 13), {ch, static_cast<std::uint8_t>(40 + n % 30), 90});
            b.event(static_cast<std::uint32_t>(n % 5 + 1), {ch, static_cast<std::uint8_t>(40 + n % 30), 0});
        }
        b.sysex(3, {0x41, 0x10, 0x42, 0xF7}).event(1, {static_cast<std::uint8_t>(0xE0 | t), 0, 0x40}).end();
        tracks.push_back(b);
    }
    MidiToSongOptions o;
    o.songName = SongNameSource::Title;
    test::ScriptedUi ui;
    const Bytes song = ToSong(test::Smf(1, 96, tracks), ui, o);
    auto midi = song_to_midi(song, ui, {});
    ASSERT_TRUE(midi.ok());
    EXPECT_EQ(ToSong(*midi, ui, o), song);
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
    return Convert(ToSong(midi, ui), ui);
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
                  {"Conversion started...", "Song Name = TEST SONG",
                   "================== PASS 1 ==================", " MEASURE block", " TRACK block",
                   "   Track Nr.:0002", "Event is spanning over more sectors, Sect:", "eax=0000000A", "ecx=00000002",
                   "Next Sector:", "\n\r================== PASS 2 ==================",
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
    EXPECT_EQ(std::tuple(stored, storedSize), std::tuple(1, converted->size()));
    ExpectInOrder(dir / "midi2song.txt",
                  {"VELDIN v2 Conversion Log\n\r", "BPQN (Beats Per Quarter Note) = 00000004",
                   "Tracks to parse 00000001", "ME_SYSEX      ", "NOTEON     ", "--- function: parse_MainMTrk --- ",
                   "found main measure", "Lenght of tracks = ", "--- exit: write_song ---",
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
