#include "tone/ToneParameters.h"

#include <algorithm>
#include <array>

#include "core/Names.h"

namespace veldin::tone {
namespace {

constexpr std::string_view kNoteLetters = "CcDdEFfGgAaB";
constexpr std::uint32_t kSamplesPerSegment = 12288;

using M = SliderMapping;
constexpr std::array<SliderControl, 18> kSliders{{
    {1200, 1201, "Rate", 28, 0, 127, M::VerticalInverted, false},
    {1202, 1203, "Delay", 30, 0, 127, M::VerticalInverted, false},
    {1204, 1205, "Offset", 35, -64, 63, M::VerticalInvertedSigned, false},
    {1301, 1302, "Pitch shift", 36, -24, 24, M::Signed, false},
    {1303, 1304, "Fine tune", 37, -64, 63, M::Signed, false},
    {1305, 1306, "Loop tune", 88, -64, 63, M::Signed, false},
    {1307, 1308, "LFO Depth", 33, 0, 127, M::Plain, false},
    {1400, 1401, "Key Rate", 46, 0, 127, M::VerticalInverted, true},
    {1402, 1403, "Vel Rate", 47, 0, 127, M::VerticalInverted, true},
    {1404, 1405, "LFO Depth", 42, 0, 127, M::VerticalInverted, true},
    {1410, 1411, "Key Follow", 40, -64, 63, M::Signed, true},
    {1412, 1413, "Cut-Off", 38, 0, 127, M::Plain, true},
    {1414, 1415, "Reso.", 39, 0, 127, M::Plain, true},
    {1416, 1417, "EG Dpt.", 43, 0, 127, M::Plain, true},
    {1500, 1501, "Key Rate", 70, 0, 127, M::VerticalInverted, false},
    {1502, 1503, "Vel Rate", 72, 0, 127, M::VerticalInverted, false},
    {1504, 1505, "LFO Depth", 26, 0, 127, M::VerticalInverted, false},
    {1601, 1602, "Volume", 71, 0, 127, M::Plain, false},
}};

constexpr std::array<CheckControl, 7> kChecks{{
    {1206, "Sync", 29, false, false},
    {1207, "Polarity", 34, false, true},
    {1300, "Pitch follow", 105, false, false},
    {1406, "TVF Switch", 49, true, false},
    {1407, "EG Polarity", 44, true, true},
    {1603, "Pitch bender", 50, false, false},
    {1604, "Aftertouch", 125, false, false},
}};

constexpr std::array<std::string_view, 4> kLoopModes{"Fordward", "Alter", "One-Shot", "Reverse"};
constexpr std::array<std::string_view, 2> kLfoModes{"Sine", "P.H"};
constexpr std::array<std::string_view, 6> kCurves{"0", "1", "2", "3", "4", "5"};
constexpr std::array<std::string_view, 8> kOutputs{"1", "2", "3", "4", "5", "6", "7", "8"};
const std::array<ComboControl, 5> kCombos{{
    {1101, "Mode", 25, false, kLoopModes},
    {1208, "Mode", 32, false, kLfoModes},
    {1409, "Level Curve", 45, true, kCurves},
    {1507, "Level C.", 89, false, kCurves},
    {1600, "Out", 8, false, kOutputs},
}};

bool IsSignedMapping(M m) { return m == M::Signed || m == M::VerticalInvertedSigned; }
int AsSigned(std::uint8_t v) { return static_cast<std::int8_t>(v); }

} // namespace

int SliderPosition(SliderMapping m, std::uint8_t v) {
    switch (m) {
    case M::Plain: return v;
    case M::Signed: return AsSigned(v);
    case M::VerticalInverted: return 127 - v;
    case M::VerticalInvertedSigned: return -AsSigned(v);
    }
    return v;
}

int SliderValue(SliderMapping m, int position) {
    switch (m) {
    case M::Plain:
    case M::Signed: return position;
    case M::VerticalInverted: return 127 - position;
    case M::VerticalInvertedSigned: return -position;
    }
    return position;
}

bool IsVertical(SliderMapping m) { return m == M::VerticalInverted || m == M::VerticalInvertedSigned; }

std::span<const SliderControl> ParameterSliders() { return kSliders; }
std::span<const CheckControl> ParameterChecks() { return kChecks; }
std::span<const ComboControl> ParameterCombos() { return kCombos; }

int ClampToField(const SliderControl& c, std::int64_t typed) {
    return static_cast<int>(std::clamp<std::int64_t>(typed, c.min, c.max));
}

std::string PolarityCaption(std::string_view label, bool pressed) {
    return std::string(label) + (pressed ? " -" : " +");
}

std::string KeyText(int key) { return NoteName(key); }

std::optional<std::uint8_t> ParseKeyText(std::string_view text) {
    if (text.size() < 2) return std::nullopt;
    const std::size_t letter = kNoteLetters.find(text[0]);
    int semitone = letter == std::string_view::npos ? 0 : static_cast<int>(letter);
    std::string_view octave = text.substr(1);
    if (text.size() > 2 && (text[1] == '#' || text[1] == '-')) {
        if (text[1] == '#' && letter != std::string_view::npos) ++semitone;
        octave = text.substr(2);
    }
    // The octave: one digit, or "-1" for the lowest keys.
    int o = 0;
    if (octave.size() == 1 && octave[0] >= '0' && octave[0] <= '9') o = octave[0] - '0';
    else if (octave == "-1") o = -1;
    else return std::nullopt;
    const int key = (o + 1) * 12 + semitone;
    if (key < 0 || key > 127) return std::nullopt;
    return static_cast<std::uint8_t>(key);
}

LoopPoints ConfirmPoint(LoopPoints p, PointField field, std::int64_t typed, std::int64_t waveLength) {
    switch (field) {
    case PointField::Start:
        p.start = std::clamp<std::int64_t>(typed, 0, std::max<std::int64_t>(p.end, 0));
        if (p.loop < p.start) p.loop = p.start;
        break;
    case PointField::Loop: p.loop = std::clamp<std::int64_t>(typed, std::min(p.start, p.end), std::max(p.start, p.end)); break;
    case PointField::End:
        p.end = std::clamp<std::int64_t>(typed, 0, std::max<std::int64_t>(waveLength, 0));
        p.loop = std::min(p.loop, p.end);
        p.start = std::min(p.start, p.end);
        break;
    }
    return p;
}

int GraphZoomMax(std::size_t samples) {
    int z = 1;
    while ((samples + (std::size_t{1} << z) - 1) >> z > static_cast<std::size_t>(kGraphVisible)) ++z;
    return z;
}

WaveGraph BuildGraph(std::span<const std::uint16_t> samples, int zoom) {
    WaveGraph g;
    g.zoom = std::max(zoom, 0);
    auto count = [&](int z) { return (samples.size() + (std::size_t{1} << z) - 1) >> z; };
    while (count(g.zoom) > static_cast<std::size_t>(kGraphMaxColumns)) ++g.zoom;
    g.columns.reserve(count(g.zoom));
    for (std::size_t i = 0; i < samples.size(); i += std::size_t{1} << g.zoom) {
        const int s = static_cast<std::int16_t>(samples[i]);
        g.columns.push_back(kGraphCentre - s * kGraphCentre / 32767);
    }
    return g;
}

std::vector<GraphMarker> GraphMarkers(std::size_t samples, std::size_t columns, const LoopPoints& p) {
    std::vector<GraphMarker> out;
    if (samples == 0) return out;
    auto column = [&](std::int64_t point) {
        return point * static_cast<std::int64_t>(columns) / static_cast<std::int64_t>(samples);
    };
    for (std::size_t n = 0; n * kSamplesPerSegment < samples; ++n) {
        const std::size_t tenths = n * 4;
        out.push_back({kSegmentColour, column(static_cast<std::int64_t>(n * kSamplesPerSegment)),
                       std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s", 0});
    }
    out.push_back({kStartColour, column(p.start), "Start", 1});
    out.push_back({kLoopColour, column(p.loop), "Loop", 2});
    out.push_back({kEndColour, column(p.end), "End", 3});
    return out;
}

int GraphScrollMax(std::size_t columns) {
    return columns > static_cast<std::size_t>(kGraphVisible) ? static_cast<int>(columns) - kGraphVisible : 0;
}

ParameterValues ValuesOf(const ToneRecord& r) {
    ParameterValues v;
    v.points = {r.startPoint(), r.loopPoint(), r.endPoint()};
    v.origKey = KeyText(r.origKey());
    for (const SliderControl& c : ParameterSliders()) {
        const std::uint8_t b = r.bytes()[c.offset];
        v.sliders.push_back(IsSignedMapping(c.mapping) ? AsSigned(b) : b);
    }
    for (const CheckControl& c : ParameterChecks()) v.checks.push_back(r.bytes()[c.offset] != 0);
    for (const ComboControl& c : ParameterCombos()) {
        const std::uint8_t b = r.bytes()[c.offset];
        v.combos.push_back(b < c.items.size() ? b : -1);
    }
    return v;
}

ToneRecord ApplyValues(const ToneRecord& working, const ParameterValues& v, bool s50, std::int64_t waveLength) {
    ToneRecord r = working;
    LoopPoints p = ConfirmPoint(v.points, PointField::End, v.points.end, std::min<std::int64_t>(waveLength, 0xFFFFFF));
    p = ConfirmPoint(p, PointField::Start, p.start, waveLength);
    p = ConfirmPoint(p, PointField::Loop, p.loop, waveLength);
    r.setStartPoint(static_cast<std::uint32_t>(p.start));
    r.setLoopPoint(static_cast<std::uint32_t>(p.loop));
    r.setEndPoint(static_cast<std::uint32_t>(p.end));
    r.setLoopLength(static_cast<std::uint32_t>(p.end - p.loop));
    if (const auto key = ParseKeyText(v.origKey)) r.setOrigKey(*key);
    const auto sliders = ParameterSliders();
    for (std::size_t i = 0; i < sliders.size() && i < v.sliders.size(); ++i)
        if (!(s50 && sliders[i].tvf)) r.setByte(sliders[i].offset, static_cast<std::uint8_t>(v.sliders[i] & 0xFF));
    const auto checks = ParameterChecks();
    for (std::size_t i = 0; i < checks.size() && i < v.checks.size(); ++i)
        if (!(s50 && checks[i].tvf)) r.setByte(checks[i].offset, v.checks[i] ? 1 : 0);
    const auto combos = ParameterCombos();
    for (std::size_t i = 0; i < combos.size() && i < v.combos.size(); ++i)
        if (v.combos[i] >= 0 && !(s50 && combos[i].tvf)) r.setByte(combos[i].offset, static_cast<std::uint8_t>(v.combos[i]));
    return r;
}

} // namespace veldin::tone
