// The parameter dialog's rules: slider mappings, the original-key text, the point
// clamping, the wave graph's columns, markers and zoom range, and what Apply writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tone/ToneParameters.h"

namespace veldin::tone {
namespace {

using M = SliderMapping;

TEST(SliderMapping, PositionsAndValuesOfEveryMapping) {
    struct Case {
        M mapping;
        std::uint8_t byte;
        int position;
        int shown;
    };
    for (const Case c : {Case{M::Plain, 0, 0, 0}, Case{M::Plain, 127, 127, 127}, Case{M::Plain, 200, 200, 200},
                         Case{M::Signed, 0, 0, 0}, Case{M::Signed, 0xFF, -1, -1}, Case{M::Signed, 0xC0, -64, -64},
                         Case{M::Signed, 63, 63, 63}, Case{M::Signed, 0xE8, -24, -24},
                         Case{M::VerticalInverted, 0, 127, 0}, Case{M::VerticalInverted, 127, 0, 127},
                         Case{M::VerticalInverted, 100, 27, 100}, Case{M::VerticalInvertedSigned, 63, -63, 63},
                         Case{M::VerticalInvertedSigned, 0xC0, 64, -64}, Case{M::VerticalInvertedSigned, 0, 0, 0}}) {
        SCOPED_TRACE(static_cast<int>(c.mapping) * 1000 + c.byte);
        EXPECT_EQ(SliderPosition(c.mapping, c.byte), c.position);
        EXPECT_EQ(SliderValue(c.mapping, c.position), c.shown);
    }
    EXPECT_TRUE(IsVertical(M::VerticalInverted));
    EXPECT_TRUE(IsVertical(M::VerticalInvertedSigned));
    EXPECT_FALSE(IsVertical(M::Signed));
}

TEST(ParameterTable, EveryFieldOnceAndPitchShiftClampedToMinus24To24) {
    std::set<std::size_t> offsets;
    std::set<int> ids;
    for (const auto& c : ParameterSliders()) {
        EXPECT_TRUE(offsets.insert(c.offset).second && ids.insert(c.sliderId).second && ids.insert(c.editId).second)
            << c.label;
        EXPECT_EQ(c.min < 0, c.mapping == M::Signed || c.mapping == M::VerticalInvertedSigned) << c.label;
    }
    for (const auto& c : ParameterChecks())
        EXPECT_TRUE(offsets.insert(c.offset).second) << c.label;
    for (const auto& c : ParameterCombos())
        EXPECT_TRUE(offsets.insert(c.offset).second) << c.label;
    EXPECT_EQ(offsets.size(), 30u);
    const auto pitch = std::find_if(ParameterSliders().begin(), ParameterSliders().end(),
                                    [](const SliderControl& c) { return c.offset == 36; });
    ASSERT_NE(pitch, ParameterSliders().end());
    EXPECT_EQ(std::tuple(ClampToField(*pitch, 99), ClampToField(*pitch, -99), ClampToField(*pitch, 5)),
              std::tuple(24, -24, 5));
    EXPECT_EQ(PolarityCaption("EG Polarity", true), "EG Polarity -");
    EXPECT_EQ(PolarityCaption("Polarity", false), "Polarity +");
}

TEST(KeyText, EveryKeyShowsAndParsesBackAndTypedTextsAsTheDialogReadsThem) {
    for (int key = 0; key <= 127; ++key) {
        const std::string t = KeyText(key);
        EXPECT_EQ(ParseKeyText(t), std::optional<std::uint8_t>(static_cast<std::uint8_t>(key))) << t;
    }
    struct Case {
        const char* text;
        int key; // -1: nothing
    };
    for (const Case c : {Case{"C#4", 61}, Case{"c4", 61}, Case{"A-4", 69}, Case{"a4", 70}, Case{"A4", 69},
                         Case{"B-9", -1}, Case{"G-9", 127}, Case{"X-4", 60}, Case{"X#4", 60},
                         Case{"d#2", 40}, Case{"C", -1}, Case{"", -1}, Case{"C-x", -1}, Case{"A-10", -1},
                         Case{"C-0", 12}}) {
        SCOPED_TRACE(c.text);
        const auto k = ParseKeyText(c.text);
        if (c.key < 0) EXPECT_FALSE(k.has_value());
        else EXPECT_EQ(k, std::optional<std::uint8_t>(static_cast<std::uint8_t>(c.key)));
    }
}

TEST(LoopPoints, EnterClampsAndTheOthersFollow) {
    using F = PointField;
    struct Case {
        LoopPoints before;
        F field;
        std::int64_t typed;
        LoopPoints after;
    };
    const std::int64_t wave = 12288;
    for (const Case c : {
             Case{{100, 200, 1000}, F::Start, 5000, {1000, 1000, 1000}}, // above End: End; Loop follows
             Case{{100, 200, 1000}, F::Start, 150, {150, 200, 1000}},
             Case{{100, 200, 1000}, F::Start, 300, {300, 300, 1000}},
             Case{{100, 200, 1000}, F::Loop, 50, {100, 100, 1000}},
             Case{{100, 200, 1000}, F::Loop, 2000, {100, 1000, 1000}},
             Case{{100, 200, 1000}, F::End, 150, {100, 150, 150}},
             Case{{100, 200, 1000}, F::End, 50, {50, 50, 50}}, // below both
             Case{{100, 200, 1000}, F::End, 99999, {100, 200, 12288}},
             Case{{100, 200, 1000}, F::End, 0, {0, 0, 0}},
         }) {
        SCOPED_TRACE(static_cast<int>(c.field) * 100000 + c.typed);
        EXPECT_EQ(ConfirmPoint(c.before, c.field, c.typed, wave), c.after);
    }
    // No wave: End can only become 0.
    EXPECT_EQ(ConfirmPoint({10, 20, 30}, F::End, 30, 0), (LoopPoints{0, 0, 0}));
}

TEST(WaveGraph, ZoomMaxIsHalvingsUntilTheGraphHoldsTheWave) {
    struct Case {
        std::size_t samples;
        int zmax;
    };
    for (const Case c : {Case{0, 1}, Case{368, 1}, Case{736, 1}, Case{737, 2}, Case{1472, 2}, Case{1473, 3},
                         Case{12288, 6}, Case{18 * 12288, 10}}) {
        SCOPED_TRACE(c.samples);
        EXPECT_EQ(GraphZoomMax(c.samples), c.zmax);
        EXPECT_LE(BuildGraph(std::vector<std::uint16_t>(c.samples), c.zmax).columns.size(), 368u);
    }
}

TEST(WaveGraph, ColumnsKeepEveryTwoToTheZthSampleAroundTheCentre) {
    const std::vector<std::uint16_t> s{0x0000, 0x7FF0, 0x8000, 0xC000, 0x4000, 0xFFF0, 0x1230};
    const WaveGraph g0 = BuildGraph(s, 0);
    // 78 - s * 78 / 32767, truncated towards the centre.
    EXPECT_EQ(g0.columns, (std::vector<int>{78, 1, 156, 117, 39, 78, 67}));
    const WaveGraph g1 = BuildGraph(s, 1);
    EXPECT_EQ(g1.columns, (std::vector<int>{78, 156, 39, 67}));
    EXPECT_EQ(BuildGraph(s, 2).columns, (std::vector<int>{78, 39}));
    // The longest wave (22 segments of two banks' worth) still gives at most 32,767 columns.
    const WaveGraph big = BuildGraph(std::vector<std::uint16_t>(36 * 12288), 0);
    EXPECT_EQ(big.zoom, 4);
    EXPECT_TRUE(big.columns.size() <= 32767u && big.columns.size() > 32767u / 2) << big.columns.size();
}

TEST(WaveGraph, MarkersAtSegmentsAndPointsWithTheirColoursAndLabels) {
    const std::size_t samples = 3 * 12288;
    const auto m = GraphMarkers(samples, samples / 4, {1000, 20000, 36000});
    ASSERT_EQ(m.size(), 6u);
    const std::tuple<const char*, int, Rgb> expected[] = {
        {"0.0 s", 0, kSegmentColour},
        {"0.4 s", 12288 / 4, kSegmentColour},
        {"0.8 s", 2 * 12288 / 4, kSegmentColour},
        {"Start", 250, Rgb{255, 255, 255}},
        {"Loop", 5000, Rgb{100, 255, 100}},
        {"End", 9000, Rgb{255, 100, 100}},
    };
    for (std::size_t i = 0; i < m.size(); ++i)
        EXPECT_EQ(std::tuple(m[i].label, m[i].column, m[i].colour), expected[i]) << i;
    EXPECT_EQ(GraphMarkers(30 * 12288, 100, {}).at(25).label, "10.0 s");
    EXPECT_TRUE(GraphMarkers(0, 0, {}).empty());
    EXPECT_EQ(std::tuple(GraphScrollMax(1000), GraphScrollMax(300)), std::tuple(632, 0));
}

ToneRecord Sample() {
    ToneRecord r;
    for (std::size_t i = 0; i < r.bytes().size(); ++i) r.bytes()[i] = static_cast<std::uint8_t>(i * 7 + 3);
    r.setStartPoint(100);
    r.setLoopPoint(200);
    r.setEndPoint(1000);
    r.setLoopLength(800);
    r.setLoopMode(1);
    r.setOrigKey(60);
    for (const auto& c : ParameterChecks()) r.setByte(c.offset, 1);
    for (const auto& c : ParameterCombos()) r.setByte(c.offset, 1);
    return r;
}

TEST(ApplyValues, UntouchedControlsGiveTheRecordBackByteForByte) {
    const ToneRecord r = Sample();
    EXPECT_EQ(ApplyValues(r, ValuesOf(r), false, 12288), r);
    EXPECT_EQ(ApplyValues(r, ValuesOf(r), true, 12288), r);
}

TEST(ApplyValues, EveryControlLandsInItsByte) {
    const ToneRecord r = Sample();
    ParameterValues v = ValuesOf(r);
    v.points = {5000, 100, 3000}; // Start beyond End: clamped as after Enter
    v.origKey = "a4";
    for (auto& s : v.sliders) s = -3;
    for (std::size_t i = 0; i < v.checks.size(); ++i) v.checks[i] = false;
    for (auto& c : v.combos) c = 0;
    v.sliders[0] = 300; // typed beyond the range: the low byte
    const ToneRecord out = ApplyValues(r, v, false, 12288);
    EXPECT_EQ(std::tuple(out.startPoint(), out.loopPoint(), out.endPoint(), out.loopLength()),
              std::tuple(3000u, 3000u, 3000u, 0u));
    EXPECT_EQ(out.origKey(), 70);
    EXPECT_EQ(out.bytes()[ParameterSliders()[0].offset], 300 & 0xFF);
    for (std::size_t i = 1; i < ParameterSliders().size(); ++i) EXPECT_EQ(out.bytes()[ParameterSliders()[i].offset], 0xFD);
    for (const auto& c : ParameterChecks()) EXPECT_EQ(out.bytes()[c.offset], 0) << c.label;
    for (const auto& c : ParameterCombos()) EXPECT_EQ(out.bytes()[c.offset], 0) << c.label;
    // Nothing else moved.
    for (std::size_t i : {0u, 9u, 13u, 27u, 51u, 60u, 107u, 120u, 126u}) EXPECT_EQ(out.bytes()[i], r.bytes()[i]) << i;

    // S-50: every TVF byte stays.
    const ToneRecord s50 = ApplyValues(r, v, true, 12288);
    for (std::size_t off : {38u, 39u, 40u, 42u, 43u, 44u, 45u, 46u, 47u, 49u}) EXPECT_EQ(s50.bytes()[off], r.bytes()[off]) << off;
    EXPECT_EQ(s50.volume(), 0xFD);

    // An unreadable key text and an unset combo keep their bytes; End beyond the wave is held.
    v.origKey = "??";
    v.combos.assign(v.combos.size(), -1);
    v.points = {0, 0, 99999};
    const ToneRecord kept = ApplyValues(r, v, false, 12288);
    EXPECT_EQ(std::tuple(kept.origKey(), kept.loopMode(), kept.endPoint(), kept.loopLength()),
              std::tuple(60, 1, 12288u, 12288u));
}

} // namespace
} // namespace veldin::tone
