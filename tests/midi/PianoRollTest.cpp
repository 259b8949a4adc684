// The piano roll's reading of MIDI files and its layout: notes from the song-to-MIDI
// conversion of a song, hand-made files with the forms a reader can trip over, refusals,
// and where notes, keys and measures go.
#include <gtest/gtest.h>

#include "core/UserInteraction.h"
#include "midi/PianoRoll.h"
#include "midi/SongToMidi.h"
#include "tests/midi/Builders.h"
#include "tests/support/TestSupport.h"

namespace veldin::midi {
namespace {

using test::Bytes;
using test::Note;
using test::TrackBuilder;

TEST(PianoRoll, NotesOfASongComeThroughTheConversionOnTheirTracks) {
    test::ScriptedUi ui;
    const Bytes song = test::SongBuilder()
                           .track(0, {Note(0, 0, 60, 100, 96), Note(0, 96, 64, 90, 48)})
                           .track(3, {Note(3, 10, 40, 80, 200)})
                           .build();
    auto midi = song_to_midi(song, ui, {});
    ASSERT_TRUE(midi.ok()) << midi.failure().text;
    const auto roll = ReadRoll(*midi);
    ASSERT_TRUE(roll);
    EXPECT_EQ(roll->division, 96);
    ASSERT_EQ(roll->notes.size(), 3u);
    // Tracks are numbered after the conductor, in the file's order.
    EXPECT_EQ(roll->notes[0], (RollNote{0, 0, 60, 100, 0, 96}));
    EXPECT_EQ(roll->notes[1], (RollNote{0, 0, 64, 90, 96, 48}));
    EXPECT_EQ(roll->notes[2], (RollNote{1, 3, 40, 80, 10, 200}));
    EXPECT_GE(roll->endTick, 210u);
    EXPECT_EQ(HeaderText(*roll), "120 BPM  4/4");
}

TEST(PianoRoll, ReadsRunningStatusZeroVelocityOffsAndUnendedNotes) {
    TrackBuilder conductor;
    conductor.tempo(0, 500000).timeSignature(0, 3, 2).tempo(384, 400000).end();
    TrackBuilder t;
    t.name("Lead")
        .event(0, {0x91, 60, 100})
        .raw({0})         // delta 0, running status
        .raw({62, 90})    // second note-on on channel 2
        .event(48, {60, 0}) // running status note-on velocity 0 ends key 60
        .event(0, {0x81, 70, 0}) // an off without an on is passed over
        .event(0, {0x91, 60, 80})
        .event(0, {0x91, 60, 70}) // same key twice: ended first in, first out
        .event(10, {0x81, 60, 0})
        .event(10, {0x81, 60, 0})
        .end(100); // key 62 never ends: it lasts to the end of the track
    const auto roll = ReadRoll(test::Smf(1, 96, {conductor, t}));
    ASSERT_TRUE(roll);
    ASSERT_EQ(roll->trackNames, std::vector<std::string>({"Lead"}));
    ASSERT_EQ(roll->notes.size(), 4u);
    EXPECT_EQ(roll->notes[0], (RollNote{0, 1, 60, 100, 0, 48}));
    EXPECT_EQ(roll->notes[1], (RollNote{0, 1, 62, 90, 0, 168}));
    EXPECT_EQ(roll->notes[2], (RollNote{0, 1, 60, 80, 48, 10}));
    EXPECT_EQ(roll->notes[3], (RollNote{0, 1, 60, 70, 48, 20}));
    EXPECT_EQ(roll->endTick, 384u); // the conductor's last tempo
    ASSERT_EQ(roll->tempi.size(), 2u);
    EXPECT_DOUBLE_EQ(roll->tempi[1].bpm, 150.0);
    EXPECT_EQ(roll->meters, std::vector<RollMeter>({{0, 3, 4}}));
    EXPECT_EQ(HeaderText(*roll), "120 BPM  3/4");
}

TEST(PianoRoll, BytesThatAreNoMidiFileAreRefused) {
    const Bytes good = test::Smf(1, 96, {TrackBuilder().end(), TrackBuilder().event(0, {0x90, 60, 1}).end(10)});
    Bytes smpte = good;
    smpte[12] = 0xE7;
    Bytes shortChunk = good;
    shortChunk.resize(good.size() - 3);
    Bytes noStatus = test::Smf(1, 96, {TrackBuilder().raw({0, 60, 100}).end()});
    Bytes longDelta = test::Smf(1, 96, {TrackBuilder().raw({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1}).end()});
    Bytes realtime = test::Smf(1, 96, {TrackBuilder().event(0, {0xF8}).end()});
    Bytes metaPastEnd = test::Smf(1, 96, {TrackBuilder().raw({0, 0xFF, 0x03, 0x7F, 'x'})});
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"empty", {}},
        {"text", Bytes{'M', 'T', 'h', 'x', 0, 0, 0, 6, 0, 1, 0, 1, 0, 96}},
        {"SMPTE division", smpte},
        {"chunk cut short", shortChunk},
        {"data byte without a status", noStatus},
        {"delta of five bytes", longDelta},
        {"real-time byte in a track", realtime},
        {"meta event past the chunk", metaPastEnd},
    };
    ASSERT_TRUE(ReadRoll(good));
    for (const auto& [what, bytes] : cases) EXPECT_FALSE(ReadRoll(bytes)) << what;
}

TEST(PianoRoll, LayoutPutsTimeRightAndHigherKeysUp) {
    RollLayout l;
    l.pixelsPerTick = 0.5;
    l.keyHeight = 8;
    l.header = 20;
    l.lowKey = 48;
    l.highKey = 72;
    EXPECT_EQ(std::tuple(l.x(96), l.y(72)), std::tuple(48, 20));
    EXPECT_EQ(l.height(), 20 + 25 * 8);
    EXPECT_EQ(l.noteRect({0, 0, 60, 100, 96, 48}), (RollLayout::Rect{48, 20 + 12 * 8, 24, 8}));
    // A note shorter than a pixel still shows.
    EXPECT_EQ(l.noteRect({0, 0, 60, 100, 96, 1}).w, 2);
    RollSong s;
    s.endTick = 1000;
    EXPECT_EQ(l.width(s), 501);
}

TEST(PianoRoll, FitKeysCoversTheNotesWithAtLeastTwoOctaves) {
    struct Case {
        std::vector<int> keys;
        int low, high;
    };
    const std::vector<Case> cases = {
        {{}, 48, 72}, {{0}, 0, 24}, {{127}, 103, 127}, {{0, 127}, 0, 127}, {{30, 90}, 28, 92},
    };
    for (const Case& c : cases) {
        RollSong s;
        for (int k : c.keys) s.notes.push_back({0, 0, k, 100, 0, 10});
        RollLayout l;
        FitKeys(l, s);
        EXPECT_EQ(std::tuple(l.lowKey, l.highKey), std::tuple(c.low, c.high)) << c.keys.size();
    }
}

TEST(PianoRoll, MeasuresFollowEveryTimeSignature) {
    RollSong s;
    s.division = 96;
    EXPECT_EQ(MeasureStarts(s, 800), std::vector<std::uint32_t>({0, 384, 768})); // 4/4 without a signature
    s.meters = {{0, 4, 4}, {768, 3, 4}, {1000, 6, 8}};
    EXPECT_EQ(MeasureStarts(s, 1700), std::vector<std::uint32_t>({0, 384, 768, 1000, 1288, 1576}));
    s.division = 1;
    s.meters = {{0, 1, 64}};
    EXPECT_EQ(MeasureStarts(s, 0xFFFFFFFFu).size(), 65535u) << "a file of absurd times gets no more lines than measures";
}

TEST(PianoRoll, ZoomDoublesAndHalvesWithinItsLimits) {
    EXPECT_DOUBLE_EQ(ZoomStep(0.25, 1), 0.5);
    EXPECT_DOUBLE_EQ(ZoomStep(0.25, -2), 0.0625);
    EXPECT_DOUBLE_EQ(ZoomStep(4.0, 1), 4.0);
    EXPECT_DOUBLE_EQ(ZoomStep(1.0 / 64, -1), 1.0 / 64);
}

} // namespace
} // namespace veldin::midi
