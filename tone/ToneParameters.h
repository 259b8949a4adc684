#pragma once
// The rules of the tone parameter dialog: how a byte of the record sits on its slider,
// the original-key text, the Start/Loop/End clamping, the wave graph's columns, markers
// and zoom range, and the record that "Apply" writes. The dialog only shows and forwards.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tone/ToneRecord.h"

namespace veldin::tone {

// How a field value v (a byte) becomes a slider position; the edit box shows v itself.
enum class SliderMapping {
    Plain,                   // v
    Signed,                  // v read as a signed byte
    VerticalInverted,        // 127 - v (top = 127)
    VerticalInvertedSigned,  // -(v read as a signed byte)
};

int SliderPosition(SliderMapping m, std::uint8_t v);
// The value a slider position stands for, as its edit box shows it (signed for signed
// fields).
int SliderValue(SliderMapping m, int position);
bool IsVertical(SliderMapping m);

// One slider with its edit box.
struct SliderControl {
    int sliderId;
    int editId;
    std::string_view label;
    std::size_t offset; // byte of the record
    int min, max;       // the field's range as the edit box shows it
    SliderMapping mapping;
    bool tvf;           // disabled and skipped on S-50 disks
};

// One check box (a push-like one for the polarities).
struct CheckControl {
    int id;
    std::string_view label;
    std::size_t offset;
    bool tvf;
    bool polarity; // caption ends in "-" (pressed, value 1) or "+"
};

// One combo box.
struct ComboControl {
    int id;
    std::string_view label;
    std::size_t offset;
    bool tvf;
    std::span<const std::string_view> items;
};

std::span<const SliderControl> ParameterSliders();
std::span<const CheckControl> ParameterChecks();
std::span<const ComboControl> ParameterCombos();

// The number typed into an edit box, clamped to the field's range (Enter).
int ClampToField(const SliderControl& c, std::int64_t typed);
// The caption of a polarity button for its pressed state: "Polarity -" / "Polarity +".
std::string PolarityCaption(std::string_view label, bool pressed);

// The original key: "C-4" for 60, "C#4" for 61 (the rule of NoteName), and the parse
// the dialog does at "Apply" (C#4 and c4 are 61, A-4 69, a4 70).
// Octave -1 ("C--1") parses too, so every shown text gives its key back; a text that
// names no key from 0 to 127 gives nothing.
std::string KeyText(int key);
std::optional<std::uint8_t> ParseKeyText(std::string_view text);

// Start, Loop and End after Enter in one of their edits.
struct LoopPoints {
    std::int64_t start = 0, loop = 0, end = 0;
    friend bool operator==(const LoopPoints&, const LoopPoints&) = default;
};
enum class PointField { Start, Loop, End };
// `typed` replaces the field, then the three are clamped: Start to 0 ... End (Loop
// follows a Start above it), Loop to Start ... End, End to 0 ... waveLength (Loop and
// Start are lowered to End where they exceed it).
LoopPoints ConfirmPoint(LoopPoints p, PointField field, std::int64_t typed, std::int64_t waveLength);

// The wave graph: 370 x 159 pixels, the wave around y = 78, 368 columns visible.
inline constexpr int kGraphWidth = 370;
inline constexpr int kGraphHeight = 159;
inline constexpr int kGraphCentre = 78;
inline constexpr int kGraphVisible = 368;
inline constexpr int kGraphMaxColumns = 32767;

struct Rgb {
    std::uint8_t r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
inline constexpr Rgb kSegmentColour{0, 30, 70};
inline constexpr Rgb kStartColour{255, 255, 255};
inline constexpr Rgb kLoopColour{100, 255, 100};
inline constexpr Rgb kEndColour{255, 100, 100};

struct GraphMarker {
    Rgb colour;
    std::int64_t column;
    std::string label;
    int labelRow; // the label's line from the top (segments 0, Start 1, Loop 2, End 3),
                  // so that labels of points close together do not overlap
};

struct WaveGraph {
    int zoom = 0;                 // every 2^zoom-th sample is a column
    std::vector<int> columns;     // y of each column
    std::vector<GraphMarker> markers;
};

// The largest zoom step: halvings (at least 1) until 368 samples or fewer remain.
int GraphZoomMax(std::size_t samples);
// Columns of the 16-bit wave at zoom z (raised while more than 32,767 would remain).
WaveGraph BuildGraph(std::span<const std::uint16_t> samples, int zoom);
// Segment lines every 12,288 samples ("%d.%d s", 0.4 s each), then Start, Loop, End.
std::vector<GraphMarker> GraphMarkers(std::size_t samples, std::size_t columns, const LoopPoints& p);
// The scroll slider runs 0 ... this.
int GraphScrollMax(std::size_t columns);

// What the dialog's controls hold at "Apply".
struct ParameterValues {
    LoopPoints points;
    std::string origKey;
    std::vector<std::int64_t> sliders; // edit values, in the order of ParameterSliders()
    std::vector<bool> checks;          // in the order of ParameterChecks()
    std::vector<int> combos;           // in the order of ParameterCombos() (the loop
                                       // mode first); -1 keeps the byte
};

ParameterValues ValuesOf(const ToneRecord& r);
// A fresh copy of `working` with every control read back: points as 24-bit values,
// clamped as after Enter (an edit left without Enter could hold Start above End),
// loopLength = End - Loop, typed numbers as their low byte, an unreadable key text keeps
// the key. TVF controls are skipped for S-50 disks.
ToneRecord ApplyValues(const ToneRecord& working, const ParameterValues& v, bool s50, std::int64_t waveLength);

} // namespace veldin::tone
