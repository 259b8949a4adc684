#include <gtest/gtest.h>

#include <algorithm>

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
using test::TrackBuilder;

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
    EXPECT_EQ(s[2 + 41], (std::array<std::uint8_t, 6>{244 % 128, 245 % 128, 246 % 128, 247 % 128, 248 % 128, 249 % 128}));
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
    EXPECT_EQ(song[53], 96);
    EXPECT_EQ(ReadLe16(std::span(song).subspan(54, 2)), 384);
    EXPECT_EQ(HeaderMeasures(song), 5);
    EXPECT_EQ(song[40], 100);
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
    for (const Case& c : {Case{"no MThd", notMidi, text::kNotMidi}, Case{"format 0", format0, text::kNotFormat1},
                          Case{"chunk past the end", truncated, text::kMidiParseError},
                          Case{"missing track", missingTrack, text::kMidiParseError},
                          Case{"no MTrk", notMTrk, text::kMidiParseError},
                          Case{"number past the chunk", test::Smf(1, 96, {ok, vlq}), text::kMidiParseError},
                          Case{"data without status", test::Smf(1, 96, {ok, noStatus}), text::kMidiParseError},
                          Case{"3/32", test::Smf(1, 96, {odd}), text::kOddTimeSignature},
                          Case{"division 0", zeroDivision, text::kMidiParseError},
                          Case{"SMPTE 25 fps", smpte(0xE728), text::kBadResolution},
                          Case{"SMPTE 30 fps", smpte(0xE250), text::kBadResolution},
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

} // namespace
} // namespace veldin::midi
