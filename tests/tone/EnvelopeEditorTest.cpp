// The envelope editor's rules: segment widths, points with the sustain plateau and the
// border case, the edits and their clamping, dragging and the presets.
#include <gtest/gtest.h>

#include <cmath>

#include "core/MemorySettingsStore.h"
#include "tone/EnvelopeEditor.h"

namespace veldin::tone {
namespace {

// sustain, end, then (level, rate) for steps 0-7.
EnvelopeBytes Env(int sustain, int end, std::initializer_list<std::pair<int, int>> steps) {
    EnvelopeBytes e{};
    e[0] = static_cast<std::uint8_t>(sustain);
    e[1] = static_cast<std::uint8_t>(end);
    int i = 0;
    for (auto [l, r] : steps) {
        e[static_cast<std::size_t>(2 + 2 * i)] = static_cast<std::uint8_t>(l);
        e[static_cast<std::size_t>(3 + 2 * i)] = static_cast<std::uint8_t>(r);
        ++i;
    }
    return e;
}

TEST(EnvelopeGeometry, SegmentWidthFromRateAngleAndZoom) {
    struct Case {
        int rate, change, zoom;
        std::int64_t width;
    };
    // rate 64: A = round(45.35) = 45 degrees, width = change.
    // rate 32: A = round(22.68) = 23, cot = 2.3559; rate 100: A = round(70.87) = 71, cot = 0.3443.
    for (const Case c : {Case{127, 100, 2, 0}, Case{64, 0, 2, 0}, Case{64, 100, 2, 100}, Case{64, -100, 2, 100},
                         Case{64, 100, 0, 25}, Case{64, 100, 1, 50}, Case{64, 100, 3, 200}, Case{64, 100, 4, 400},
                         Case{64, 7, 0, 1}, Case{32, 100, 2, 236}, Case{100, 100, 2, 34}, Case{1, 1, 2, 57}}) {
        SCOPED_TRACE(c.rate * 1000 + c.change * 10 + c.zoom);
        EXPECT_EQ(SegmentWidth(c.rate, c.change, c.zoom), c.width);
    }
    EXPECT_GT(SegmentWidth(0, 1, 0), 100000) << "rate 0 is endless";
}

TEST(EnvelopeGeometry, PointsWithSustainPlateau) {
    // Step 0 to 100 at 45 degrees, sustain on step 1 (level 100, rate 127), end at 2.
    const EnvelopeBytes e = Env(1, 2, {{100, 64}, {100, 127}, {0, 64}});
    const auto p = EnvelopePoints(e, 2);
    // After the sustain step the plateau of 30 pixels, then 100 pixels down.
    EXPECT_EQ(p, (std::vector<EnvelopePoint>{{105, 32, 0}, {105, 32, 1}, {235, 132, 2}}));
    // Zoom 0: a quarter of the widths, the plateau stays.
    const auto q = EnvelopePoints(e, 0);
    EXPECT_EQ(std::tuple(q[0].x, q[2].x), std::tuple(30, 30 + 30 + 25));
}

TEST(EnvelopeGeometry, SegmentsPastTheBorderEndThere) {
    // At zoom 4 the first segment is 400 pixels: it ends on the border.
    const EnvelopeBytes e = Env(3, 5, {{100, 64}, {50, 64}, {100, 64}, {90, 64}, {80, 64}, {0, 64}});
    const auto p = EnvelopePoints(e, 4);
    // x' = 5 + 400 = 405, 6 past the border: e = width(63, 6) = 6 (A = 45) / 4 = 1.
    EXPECT_EQ(p, (std::vector<EnvelopePoint>{{399, 126, 0}}));
    // Rate 0 from disk: endless, on the border, nothing hangs.
    const auto r0 = EnvelopePoints(Env(0, 1, {{127, 0}, {0, 0}}), 2);
    ASSERT_EQ(r0.size(), 1u);
    EXPECT_EQ(r0[0].x, 399);
    // Levels above 127 and points beyond step 7 stay inside the graph.
    for (int zoom = 0; zoom <= 4; ++zoom) {
        const EnvelopeBytes wild = Env(200, 255, {{255, 1}, {200, 0}, {255, 255}, {0, 3}, {255, 1}, {9, 1}, {1, 1}, {255, 1}});
        for (const EnvelopePoint& q : EnvelopePoints(wild, zoom))
            EXPECT_TRUE(q.x >= 0 && q.x <= kEnvelopeGraphWidth && q.y >= 0 && q.y < kEnvelopeGraphHeight)
                << q.x << "," << q.y;
    }
}

TEST(EnvelopeEdits, ClampingAndTheEndStep) {
    EnvelopeBytes e = Env(1, 3, {{10, 10}, {20, 20}, {30, 30}, {40, 40}});
    EXPECT_TRUE(SetLevel(e, 0, 500));
    EXPECT_EQ(e[2], 127);
    EXPECT_FALSE(SetLevel(e, 0, 127)) << "same value: no change";
    EXPECT_TRUE(SetLevel(e, 0, -5));
    EXPECT_EQ(e[2], 0);
    EXPECT_TRUE(SetLevel(e, 3, 90)) << "the end step holds 0";
    EXPECT_EQ(e[8], 0);
    EXPECT_TRUE(SetRate(e, 2, 0));
    EXPECT_EQ(e[7], 1);
    EXPECT_TRUE(SetRate(e, 2, 999));
    EXPECT_EQ(e[7], 127);
    // The end point pulls the sustain point below it.
    EXPECT_TRUE(SetSustain(e, 2));
    EXPECT_EQ(e[0], 2);
    EXPECT_TRUE(SetEndPoint(e, 1));
    EXPECT_EQ(std::tuple(e[1], e[0]), std::tuple(1, 0));
    EXPECT_FALSE(SetSustain(e, 5)) << "held at end - 1 = 0";
    EXPECT_TRUE(SetEndPoint(e, 9));
    EXPECT_EQ(e[1], 7);
}

TEST(EnvelopeEdits, DragUpRaisesLevelRightLowersRate) {
    EnvelopeBytes e = Env(1, 3, {{50, 60}, {20, 20}, {30, 30}, {40, 40}});
    const auto p = EnvelopePoints(e, 2);
    EXPECT_EQ(HitPoint(p, p[1].x + 2, p[1].y - 2), 1);
    EXPECT_EQ(HitPoint(p, p[1].x + 3, p[1].y), std::nullopt) << "strictly inside";
    EXPECT_TRUE(DragTo(e, 0, 50, 60, 100, 80, 110, 70));
    EXPECT_EQ(std::tuple(Level(e, 0), Rate(e, 0)), std::tuple(60, 50));
    DragTo(e, 0, 50, 60, 100, 80, 300, -200);
    EXPECT_EQ(std::tuple(Level(e, 0), Rate(e, 0)), std::tuple(127, 1));
    DragTo(e, 3, 0, 40, 0, 100, 0, 0);
    EXPECT_EQ(Level(e, 3), 0) << "the end step";
}

TEST(EnvelopePresets, StoredAs18ByteValuesAndOnlyThoseLoad) {
    MemorySettingsStore store;
    const EnvelopeBytes e = Env(2, 4, {{1, 2}, {3, 4}, {5, 6}, {7, 8}, {0, 9}});
    EXPECT_EQ(LoadPreset(store, 2), std::nullopt);
    ASSERT_TRUE(StorePreset(store, 2, e));
    EXPECT_EQ(PresetValueName(2), "Envelope Preset 2");
    EXPECT_EQ(
        store.read("Tone Editor", "Envelope Preset 2", RegType::Binary).value_or(std::vector<std::uint8_t>{}).size(),
        18u);
    EXPECT_EQ(LoadPreset(store, 2), e);
    EXPECT_EQ(LoadPreset(store, 1), std::nullopt);
    const std::uint8_t shorter[17] = {};
    store.write("Tone Editor", "Envelope Preset 3", RegType::Binary, shorter);
    EXPECT_EQ(LoadPreset(store, 3), std::nullopt);
}

} // namespace
} // namespace veldin::tone
