#include "tone/ToneFields.h"

#include <array>

namespace veldin::tone {
namespace {

using K = FieldKind;

constexpr std::array<ToneField, 34> kFields{{
    {"output", 8, K::Unsigned8, 0, 7},
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
        WriteBe24(static_cast<std::uint32_t>(value), std::span(r.bytes()).subspan(f.offset, 3));
        if (r.endPoint() >= r.loopPoint()) r.setLoopLength(r.endPoint() - r.loopPoint());
        return {};
    }
    if (value < f.min || value > f.max) return Fail(kValueOutOfRange);
    r.setByte(f.offset, static_cast<std::uint8_t>(value));
    return {};
}

} // namespace veldin::tone
