#include "tone/EnvelopeEditor.h"

#include <algorithm>
#include <cmath>

namespace veldin::tone {
namespace {

constexpr std::string_view kToneEditorKey = "Tone Editor";
// Wider than any zoom can bring inside the graph: the segment ends on the border.
constexpr std::int64_t kEndless = std::int64_t{1} << 40;

std::size_t LevelAt(int step) { return static_cast<std::size_t>(2 + 2 * step); }
std::size_t RateAt(int step) { return static_cast<std::size_t>(3 + 2 * step); }

std::int64_t Zoomed(std::int64_t w, int zoom) {
    switch (zoom) {
    case 0: return w / 4;
    case 1: return w / 2;
    case 3: return w * 2;
    case 4: return w * 4;
    default: return w;
    }
}

// The inverse: used for the part of a segment past the border.
std::int64_t Unzoomed(std::int64_t w, int zoom) { return Zoomed(w, 4 - std::clamp(zoom, 0, 4)); }

bool Store(EnvelopeBytes& e, std::size_t at, int v) {
    const auto b = static_cast<std::uint8_t>(v);
    if (e[at] == b) return false;
    e[at] = b;
    return true;
}

} // namespace

int EndPoint(const EnvelopeBytes& e) { return std::clamp<int>(e[1], 1, kEnvelopeSteps - 1); }
int SustainPoint(const EnvelopeBytes& e) { return std::min<int>(e[0], EndPoint(e) - 1); }
int Level(const EnvelopeBytes& e, int step) { return std::min<int>(e[LevelAt(step)], 127); }
int Rate(const EnvelopeBytes& e, int step) { return std::min<int>(e[RateAt(step)], 127); }

bool SetLevel(EnvelopeBytes& e, int step, std::int64_t typed) {
    const int v = step == EndPoint(e) ? 0 : static_cast<int>(std::clamp<std::int64_t>(typed, 0, 127));
    return Store(e, LevelAt(step), v);
}

bool SetRate(EnvelopeBytes& e, int step, std::int64_t typed) {
    return Store(e, RateAt(step), static_cast<int>(std::clamp<std::int64_t>(typed, 1, 127)));
}

bool SetSustain(EnvelopeBytes& e, int position) { return Store(e, 0, std::clamp(position, 0, EndPoint(e) - 1)); }

bool SetEndPoint(EnvelopeBytes& e, int position) {
    bool changed = Store(e, 1, std::clamp(position, 1, kEnvelopeSteps - 1));
    if (e[0] >= e[1]) changed = Store(e, 0, e[1] - 1) || changed;
    return changed;
}

std::int64_t SegmentWidth(int rate, int levelChange, int zoom) {
    if (rate >= 127 || levelChange == 0) return 0;
    if (rate <= 0) return kEndless;
    const double degrees = std::round(90.0 * rate / 127.0);
    const double a = degrees * M_PI / 180.0;
    const auto w = static_cast<std::int64_t>(std::llround(std::abs(levelChange) * std::cos(a) / std::sin(a)));
    return Zoomed(w, zoom);
}

std::vector<EnvelopePoint> EnvelopePoints(const EnvelopeBytes& e, int zoom) {
    std::vector<EnvelopePoint> out;
    const int end = EndPoint(e), sustain = SustainPoint(e);
    std::int64_t x = kEnvelopeLeft;
    int previous = 0;
    for (int step = 0; step <= end; ++step) {
        const int level = Level(e, step), rate = Rate(e, step);
        const std::int64_t next = x + SegmentWidth(rate, level - previous, zoom);
        if (next > kEnvelopeGraphWidth) {
            // The rest of the segment past the border, as a height at the border.
            const auto over = static_cast<int>(std::min<std::int64_t>(next - kEnvelopeGraphWidth, 1 << 20));
            const std::int64_t h = Unzoomed(SegmentWidth(127 - rate, over, kEnvelopeZoomDefault), zoom);
            const int y = static_cast<int>(std::clamp<std::int64_t>(127 - h, 0, kEnvelopeGraphHeight - 1));
            out.push_back({kEnvelopeGraphWidth, y, step});
            break;
        }
        x = next;
        out.push_back({static_cast<int>(x), 127 - level + 5, step});
        if (step == sustain) x += kSustainPlateau;
        previous = level;
    }
    return out;
}

std::optional<int> HitPoint(const std::vector<EnvelopePoint>& points, int x, int y) {
    for (std::size_t i = 0; i < points.size(); ++i)
        if (std::abs(points[i].x - x) < 3 && std::abs(points[i].y - y) < 3) return static_cast<int>(i);
    return std::nullopt;
}

bool DragTo(EnvelopeBytes& e, int step, int l0, int r0, int x0, int y0, int x, int y) {
    const bool level = SetLevel(e, step, l0 + (y0 - y));
    const bool rate = SetRate(e, step, r0 + (x0 - x));
    return level || rate;
}

std::string PresetValueName(int preset) { return "Envelope Preset " + std::to_string(preset); }

bool StorePreset(SettingsStore& store, int preset, const EnvelopeBytes& e) {
    if (!store.keyExists(kToneEditorKey) && !store.createKey(kToneEditorKey)) return false;
    return store.write(kToneEditorKey, PresetValueName(preset), RegType::Binary, e);
}

std::optional<EnvelopeBytes> LoadPreset(SettingsStore& store, int preset) {
    const auto bytes = store.read(kToneEditorKey, PresetValueName(preset), RegType::Binary);
    if (!bytes || bytes->size() != EnvelopeBytes{}.size()) return std::nullopt;
    EnvelopeBytes e{};
    std::copy(bytes->begin(), bytes->end(), e.begin());
    return e;
}

} // namespace veldin::tone
