#include "tone/ToneFields.h"

#include <algorithm>
#include <array>

namespace veldin::tone {
namespace {

using K = FieldKind;
constexpr std::size_t kStartOffset = 16;
constexpr std::size_t kLoopOffset = 22;

constexpr std::array<ToneField, 35> kFields{{
    {"output", 8, K::Unsigned8, 0, 7},
    {"rateShift", 11, K::Unsigned8, 0, 1}, // 30,000 or 15,000 Hz
    {"origKey", 12, K::Unsigned8, 0, 127},
    {"startPoint", 16, K::Point24, 0, 0},
    {"endPoint", 19, K::Point24, 0, 0},
    {"loopPoint", 22, K::Point24, 0, 0},
    {"loopMode", 25, K::Unsigned8, 0, 3},
    {"tvaLfoDepth", 26, K::Unsigned8, 0, 127},
    {"lfoRate", 28, K::Unsigned8, 0, 127},
    {"lfoSync", 29, K::Unsigned8, 0, 1},
    {"lfoDelay", 30, K::Unsigned8, 0, 127},
    {"lfoMode", 32, K::Unsigned8, 0, 1},
    {"oscLfoDepth", 33, K::Unsigned8, 0, 127},
    {"lfoPolarity", 34, K::Unsigned8, 0, 1},
    {"lfoOffset", 35, K::Signed8, -64, 63},
    {"pitchShift", 36, K::Signed8, -24, 24},
    {"fineTune", 37, K::Signed8, -64, 63},
    {"tvfCutoff", 38, K::Unsigned8, 0, 127},
    {"tvfResonance", 39, K::Unsigned8, 0, 127},
    {"tvfKeyFollow", 40, K::Signed8, -64, 63},
    {"tvfLfoDepth", 42, K::Unsigned8, 0, 127},
    {"tvfEgDepth", 43, K::Unsigned8, 0, 127},
    {"tvfEgPolarity", 44, K::Unsigned8, 0, 1},
    {"tvfLevelCurve", 45, K::Unsigned8, 0, 5},
    {"tvfKeyRate", 46, K::Unsigned8, 0, 127},
    {"tvfVelRate", 47, K::Unsigned8, 0, 127},
    {"tvfSwitch", 49, K::Unsigned8, 0, 1},
    {"benderSwitch", 50, K::Unsigned8, 0, 1},
    {"tvaKeyRate", 70, K::Unsigned8, 0, 127},
    {"volume", 71, K::Unsigned8, 0, 127},
    {"tvaVelRate", 72, K::Unsigned8, 0, 127},
    {"loopTune", 88, K::Signed8, -64, 63},
    {"tvaLevelCurve", 89, K::Unsigned8, 0, 5},
    {"pitchFollow", 105, K::Unsigned8, 0, 1},
    {"aftertouchSwitch", 125, K::Unsigned8, 0, 1},
}};




} // namespace

std::span<const ToneField> EditableToneFields() { return kFields; }

const ToneField* FindToneField(std::string_view name) {
    for (const auto& f : EditableToneFields())
        if (f.name == name) return &f;
    return nullptr;
}

std::int64_t GetField(const ToneRecord& r, const ToneField& f) {
    const auto& b = r.bytes();
    switch (f.kind) {
    case K::Unsigned8: return b[f.offset];
    case K::Signed8: return static_cast<std::int8_t>(b[f.offset]);
    case K::Point24: return ReadBe24(std::span(b).subspan(f.offset, 3));
    }
    return 0;
}

Status SetField(ToneRecord& r, const ToneField& f, std::int64_t value) {
    if (f.kind == K::Point24) {
        const std::int64_t length = static_cast<std::int64_t>(r.segmentCount()) * 12288;
        if (value < 0 || value > length) return Fail(kValueOutOfRange);
        // As the parameter dialog keeps them: Start <= Loop <= End <= wave length. A Start
        // past End stops at End and pulls Loop up with it; Loop stays between Start and
        // End; a lowered End pulls Loop and Start down to it.
        const auto v = static_cast<std::uint32_t>(value);
        std::uint32_t start = r.startPoint(), loop = r.loopPoint(), end = r.endPoint();
        if (f.offset == kStartOffset) {
            start = std::min(v, end);
            loop = std::max(loop, start);
        } else if (f.offset == kLoopOffset) {
            loop = std::clamp(v, std::min(start, end), end);
        } else {
            end = v;
            loop = std::min(loop, end);
            start = std::min(start, end);
        }
        r.setStartPoint(start);
        r.setLoopPoint(loop);
        r.setEndPoint(end);
        r.setLoopLength(end - loop);
        return {};
    }
    if (value < f.min || value > f.max) return Fail(kValueOutOfRange);
    r.setByte(f.offset, static_cast<std::uint8_t>(value));
    return {};
}

} // namespace veldin::tone
