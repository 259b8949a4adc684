#pragma once
// The areas the Patch Editor reads from an image, re-read as a whole after every change:
// the patch area (patchCount records of 256 bytes) and the tone areas whose records the
// key maps name.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "patch/PatchRecord.h"
#include "tone/ToneAreas.h"
#include "tone/ToneDocument.h"

namespace veldin::patch {

inline constexpr int kNoFreePosition = 0xFF;

struct PatchArea {
    std::uint32_t imageOffset = 0;
    int count = 0;
    std::vector<std::uint8_t> bytes; // count * 256

    PatchRecord record(int position) const;
    // A copy of the area with `r` at `position`.
    std::vector<std::uint8_t> with(int position, const PatchRecord& r) const;
};

class PatchAreas {
public:
    // An area the definition does not provide, or that cannot be read, is absent.
    static PatchAreas Read(const tone::ToneDocument& doc);

    const PatchArea* patches() const { return patches_ ? &*patches_ : nullptr; }
    const tone::ToneAreas& tones() const { return tones_; }

    // The record a key-map number names: 0-31 in the tone area, 32 and above at
    // (number - 32) in the second tone area. None for a number beyond the areas present,
    // which is never read outside its area.
    std::optional<tone::ToneRecord> toneRecord(std::uint8_t number) const;
    // Its name as shown (zero bytes as blanks); empty when the number names no record.
    std::string toneName(std::uint8_t number) const;

    int freePositions() const;
    // The first free position, kNoFreePosition (FFh) when none is free.
    int firstFreePosition() const;

private:
    std::optional<PatchArea> patches_;
    tone::ToneAreas tones_;
};

} // namespace veldin::patch
