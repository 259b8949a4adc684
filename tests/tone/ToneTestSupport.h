#pragma once
// Images with hand-placed tones for the tone tests.

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/DiskDefinition.h"
#include "core/Result.h"
#include "data/Templates.h"
#include "tone/ToneDocument.h"
#include "tone/ToneFile.h"
#include "tone/ToneRecord.h"

namespace veldin::tone::test {

// An empty image of the kind: template system area, everything else zero.
MemoryDocument EmptyImage(data::TemplateKind kind);

struct Placed {
    std::string_view name;
    int position;
    int bank;
    int segmentTop;
    int segments;
    bool subtone = false;
    int source = -1; // tone number; -1: the position
    std::uint32_t start = 0, loop = 0, end = 0;
};

// A record as the sampler writes it: name, numbers, points, and a few parameter bytes
// that nothing may change (bytes 27, 73 and 126 hold 0xA5 as a marker).
ToneRecord MakeRecord(const Placed& p);

// Writes the record and its tone list entry into the tone area (or the second area).
void Put(MemoryDocument& doc, const Placed& p, Area area = Area::Ram);

// What an operation was refused with; "(accepted)" when it went through. One comparison
// then checks that it failed, its text and its icon.
template <class R> Failure Refused(const R& r) { return r.ok() ? Failure{"(accepted)", Icon::None} : r.failure(); }

// The 12-bit samples of a tone file's wave, as 16-bit words.
std::vector<std::uint16_t> Unpacked(const ToneFile& f);

// Fills segments [top, top + count) of the bank with a recognisable ramp of 12-bit
// samples whose values depend on `seed`.
void FillWave(MemoryDocument& doc, int bank, int top, int count, int seed);

} // namespace veldin::tone::test
