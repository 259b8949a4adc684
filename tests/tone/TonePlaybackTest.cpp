// The sequence each loop mode plays, at the tone's rate and converted to another.
#include <gtest/gtest.h>

#include <numeric>

#include "tone/TonePlayback.h"

namespace veldin::tone {
namespace {

// Samples equal to their index: the output names the positions played.
std::vector<std::int16_t> Ramp(int n) {
    std::vector<std::int16_t> w(static_cast<std::size_t>(n));
    std::iota(w.begin(), w.end(), std::int16_t{0});
    return w;
}

std::vector<std::int16_t> Play(PlayRegion r, std::size_t n, int toneRate = 30000, int outRate = 30000) {
    PlaybackCursor c(Ramp(20), r, toneRate, outRate);
    std::vector<std::int16_t> out(n);
    out.resize(c.read(out));
    return out;
}

using V = std::vector<std::int16_t>;

TEST(Playback, EachLoopModeBetweenThePoints) {
    struct Case {
        PlayRegion region;
        std::size_t asked;
        V played;
    };
    for (const Case& c : {
             Case{{2, 4, 6, 0}, 12, V{2, 3, 4, 5, 6, 4, 5, 6, 4, 5, 6, 4}},     // Forward keeps looping
             Case{{2, 4, 6, 1}, 12, V{2, 3, 4, 5, 6, 5, 4, 5, 6, 5, 4, 5}},     // Alternate
             Case{{2, 4, 6, 2}, 12, V{2, 3, 4, 5, 6}},                          // One-Shot ends at End
             Case{{2, 4, 6, 3}, 12, V{6, 5, 4, 3, 2}},                          // Reverse ends at Start
             Case{{5, 5, 5, 0}, 4, V{5, 5, 5, 5}},                              // a loop of one sample
             Case{{3, 9, 30, 2}, 30, V{3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}}, // End held
             Case{{8, 8, 4, 0}, 5, V{}},                                        // End before Start
         }) {
        SCOPED_TRACE(c.region.loopMode * 100 + c.region.start);
        EXPECT_EQ(Play(c.region, c.asked), c.played);
    }
}

TEST(Playback, OtherOutputRatesInterpolate) {
    // A 15,000 Hz tone on a 30,000 Hz output: every sample twice, the halves between.
    EXPECT_EQ(Play({0, 0, 3, 2}, 10, 15000, 30000), (V{0, 0, 1, 1, 2, 2, 3})); // 3.5 lies past End
    PlaybackCursor c({0, 100, 200, 300}, {0, 0, 3, 2}, 15000, 30000);
    V out(10);
    out.resize(c.read(out));
    EXPECT_EQ(out, (V{0, 50, 100, 150, 200, 250, 300}));
    EXPECT_TRUE(c.finished());
    // Twice the rate: every second sample.
    EXPECT_EQ(Play({0, 0, 9, 2}, 10, 30000, 15000), (V{0, 2, 4, 6, 8}));
    EXPECT_TRUE(Play({0, 0, 9, 2}, 10, 30000, 0).empty());
}

TEST(Playback, WhyPlayCannotStart) {
    // The first reason that holds is the one the tooltip gives.
    struct Case {
        PlayConditions c;
        PlayBlock why;
    };
    for (const Case& t : {
             Case{{true, false, true, true}, PlayBlock::None},
             Case{{false, true, false, false}, PlayBlock::NoTone},
             Case{{true, true, false, false}, PlayBlock::SoundOff},
             Case{{true, false, false, true}, PlayBlock::NoDevice},
             Case{{true, false, true, false}, PlayBlock::NoWave},
         }) {
        SCOPED_TRACE(static_cast<int>(t.why));
        EXPECT_EQ(WhyNoPlay(t.c), t.why);
        EXPECT_EQ(PlayBlockText(t.why).empty(), t.why == PlayBlock::None);
    }
}

} // namespace
} // namespace veldin::tone
