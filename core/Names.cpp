#include "core/Names.h"

#include <array>

namespace veldin {
namespace {

constexpr std::string_view kNoteLetters = "CcDdEFfGgAaB"; // lower case: the sharp of the letter before

constexpr std::array<std::string_view, 16> kValueNames = {
    "Fordward", "Alter", "One-Shot", "Reverse",   // tone loop mode
    "Norm", "Uni", "Mix", "V-SW", "Fade",         // patch key mode
    "ROT", "Fix",                                 // patch key assign
    "MOD", "VOL", "B +", "B -", "C-0"};           // not used

constexpr std::array<std::string_view, 8> kShapeNames = {"Sine",    "P.H",     "Curve 0", "Curve 1",
                                                         "Curve 2", "Curve 3", "Curve 4", "Curve 5"};

// Floor division and modulo, so that keys below 0 still name a valid letter.
int FloorDiv(int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

std::string_view Entry(int index) {
    if (index < 0 || index >= static_cast<int>(kValueNames.size())) return {};
    return kValueNames[static_cast<std::size_t>(index)];
}

} // namespace

std::string NoteName(int key) {
    const int octave = FloorDiv(key, 12) - 1;
    const char entry = kNoteLetters[static_cast<std::size_t>(key - FloorDiv(key, 12) * 12)];
    std::string out;
    if (entry >= 'a' && entry <= 'z') {
        out.push_back(static_cast<char>(entry - 'a' + 'A'));
        out.push_back('#');
    } else {
        out.push_back(entry);
        out.push_back('-');
    }
    out += std::to_string(octave);
    return out;
}

std::span<const std::string_view> ParameterValueNames() { return kValueNames; }
std::string_view ParameterValueName(int index) { return Entry(index); }
std::string_view LoopModeName(int value) { return value >= 0 && value <= 3 ? Entry(value) : std::string_view{}; }
std::string_view KeyModeName(int value) { return value >= 0 && value <= 4 ? Entry(4 + value) : std::string_view{}; }
std::string_view KeyAssignName(int value) { return value >= 0 && value <= 1 ? Entry(9 + value) : std::string_view{}; }
std::span<const std::string_view> ShapeNames() { return kShapeNames; }

} // namespace veldin
