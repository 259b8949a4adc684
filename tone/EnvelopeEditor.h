#pragma once
// The rules of the envelope editor: the 18-byte envelope and its edits, the graph's
// points (segment widths, the sustain plateau, the right border), dragging a point and
// the four presets kept in the Tone Editor's settings.
//
//   0 sustain point  1 end point  2 + 2i level of step i  3 + 2i rate of step i (i 0-7)

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/Settings.h"

namespace veldin::tone {

using EnvelopeBytes = std::array<std::uint8_t, 18>;

inline constexpr int kEnvelopeSteps = 8;
inline constexpr int kEnvelopeGraphWidth = 399;
inline constexpr int kEnvelopeGraphHeight = 143;
inline constexpr int kEnvelopeLeft = 5;
inline constexpr int kSustainPlateau = 30;
inline constexpr int kEnvelopeZoomDefault = 2; // factor 1

// Envelope values read defensively: points from disk may lie beyond step 7 and levels
// beyond 127; these say what the editor works with.
int SustainPoint(const EnvelopeBytes& e);
int EndPoint(const EnvelopeBytes& e);
int Level(const EnvelopeBytes& e, int step);
int Rate(const EnvelopeBytes& e, int step);

// Edits; each returns whether the envelope changed. A level is held to 0 ... 127 (and
// is 0 on the end step), a rate to 1 ... 127.
bool SetLevel(EnvelopeBytes& e, int step, std::int64_t typed);
bool SetRate(EnvelopeBytes& e, int step, std::int64_t typed);
// Sustain point 0 ... end point - 1.
bool SetSustain(EnvelopeBytes& e, int position);
// End point 1 ... 7; the sustain point is lowered below it.
bool SetEndPoint(EnvelopeBytes& e, int position);

// Pixels of a segment of `rate` changing the level by `levelChange`, scaled by the zoom
// (0 ... 4: a quarter ... four times). Rate 0 (only found on disk) is endless.
std::int64_t SegmentWidth(int rate, int levelChange, int zoom);

struct EnvelopePoint {
    int x, y;
    int step;
    friend bool operator==(const EnvelopePoint&, const EnvelopePoint&) = default;
};

// The points of steps 0 ... end point from x = 5, each at y = 127 - level + 5, with 30
// pixels of plateau after the sustain step; a step that would pass x = 399 ends on the
// border and is the last point. Every point lies inside the graph.
std::vector<EnvelopePoint> EnvelopePoints(const EnvelopeBytes& e, int zoom);

// The first point within 3 pixels of (x, y) in both directions, or none.
std::optional<int> HitPoint(const std::vector<EnvelopePoint>& points, int x, int y);

// A drag of `step` that started at level/rate (l0, r0) with the cursor at (x0, y0):
// up raises the level, right lowers the rate (a longer segment).
bool DragTo(EnvelopeBytes& e, int step, int l0, int r0, int x0, int y0, int x, int y);

// Presets 1 ... 4: binary values "Envelope Preset n" of 18 bytes in the Tone Editor's key.
std::string PresetValueName(int preset);
bool StorePreset(SettingsStore& store, int preset, const EnvelopeBytes& e);
// A preset never stored, or one of another size, gives nothing.
std::optional<EnvelopeBytes> LoadPreset(SettingsStore& store, int preset);

} // namespace veldin::tone
