#pragma once
// The parameters of a tone record that may be changed one by one (the parameter
// dialog, `veldin-cli tone set`), by name, with their ranges. Fields that place the tone
// (number, bank, segments, subtone flag) are not among them: changing those alone would
// leave the record pointing at a wave it does not own. The rate (rateShift 0 or 1) only
// says how fast the wave plays.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/Result.h"
#include "tone/ToneRecord.h"

namespace veldin::tone {

enum class FieldKind { Unsigned8, Signed8, Point24 };

struct ToneField {
    std::string_view name;
    std::size_t offset;
    FieldKind kind;
    int min;
    int max; // points: checked against the wave length instead
};

std::span<const ToneField> EditableToneFields();
const ToneField* FindToneField(std::string_view name);

std::int64_t GetField(const ToneRecord& r, const ToneField& f);
// Sets a field after checking its range; points must lie within the tone's wave, keep
// Start <= Loop <= End, and loopLength follows endPoint - loopPoint.
Status SetField(ToneRecord& r, const ToneField& f, std::int64_t value);

inline constexpr std::string_view kValueOutOfRange = "The value is outside the range of this parameter!";

} // namespace veldin::tone
