// The tone parameter dialog's inputs: a typed key text, and a record (with its two
// envelopes) as read from disk. Properties checked: a key text that parses names a key
// whose own text parses back to it; the envelope points of any bytes at any zoom lie
// inside the graph; Apply on the untouched controls gives a record they can show back.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tone/EnvelopeEditor.h"
#include "tone/ToneParameters.h"

using namespace veldin::tone;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size < 8 ? size : 8);
    if (const auto key = ParseKeyText(text))
        if (*key > 127 || ParseKeyText(KeyText(*key)) != key) std::abort();
    const ToneRecord r = ToneRecord::FromBytes(std::span(data, size));
    for (std::size_t at : {std::size_t{51}, std::size_t{107}}) {
        EnvelopeBytes e{};
        std::copy_n(r.bytes().begin() + static_cast<std::ptrdiff_t>(at), e.size(), e.begin());
        for (int zoom = 0; zoom <= 4; ++zoom)
            for (const EnvelopePoint& p : EnvelopePoints(e, zoom))
                if (p.x < 0 || p.x > kEnvelopeGraphWidth || p.y < 0 || p.y >= kEnvelopeGraphHeight) std::abort();
    }
    // A record whose values the controls can all show (points in order inside a wave of
    // their own length, check bytes 0 or 1, combo bytes in their lists) comes back whole.
    const std::int64_t length = r.endPoint();
    for (const CheckControl& c : ParameterChecks())
        if (r.bytes()[c.offset] > 1) return 0;
    if (r.startPoint() <= r.loopPoint() && r.loopPoint() <= r.endPoint() && r.loopLength() == r.endPoint() - r.loopPoint() &&
        r.loopMode() < 4 && r.output() < 8 && r.lfoMode() < 2 && r.tvfLevelCurve() < 6 && r.tvaLevelCurve() < 6 &&
        ParseKeyText(KeyText(r.origKey())) == r.origKey() && !(ApplyValues(r, ValuesOf(r), false, length) == r))
        std::abort();
    return 0;
}
