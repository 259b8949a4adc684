#pragma once
// Names the sampler's numbers are shown by: MIDI keys and parameter values.

#include <span>
#include <string>
#include <string_view>

namespace veldin {

// "C-4" for key 60, "C#4" for 61, "C--1" for 0: letter, sign ('#' for a sharp, '-'
// otherwise) and the octave key / 12 - 1 as a signed decimal number.
std::string NoteName(int key);

// The 16 shared value names: loop modes (0-3), patch key modes (4-8), key assign (9-10)
// and five unused entries. An index outside the list gives an empty text.
std::span<const std::string_view> ParameterValueNames();
std::string_view ParameterValueName(int index);
std::string_view LoopModeName(int value);   // entry v
std::string_view KeyModeName(int value);    // entry 4 + v
std::string_view KeyAssignName(int value);  // entry 9 + v

// Envelope and LFO shapes: "Sine", "P.H", "Curve 0" .. "Curve 5".
std::span<const std::string_view> ShapeNames();

} // namespace veldin
