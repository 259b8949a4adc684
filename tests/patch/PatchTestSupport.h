#pragma once
// Images with hand-placed patches for the patch tests.

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "patch/PatchRecord.h"
#include "tests/tone/ToneTestSupport.h"

namespace veldin::patch::test {

// A patch as the sampler writes it: every key silent (FFh) except the keys given, level
// 100, and marker bytes where nothing may change (13, 235, 238, 244-255 hold A5h).
inline PatchRecord MakePatch(std::string_view name, std::initializer_list<std::uint8_t> layer1,
                             std::initializer_list<std::uint8_t> layer2 = {}, std::uint8_t level = 100) {
    PatchRecord r;
    r.setName(name);
    std::fill(r.keyMap1().begin(), r.keyMap1().end(), std::uint8_t{0xFF});
    std::fill(r.keyMap2().begin(), r.keyMap2().end(), std::uint8_t{0xFF});
    std::copy(layer1.begin(), layer1.end(), r.keyMap1().begin());
    std::copy(layer2.begin(), layer2.end(), r.keyMap2().begin());
    r.setPatchLevel(level);
    for (std::size_t at : {13u, 235u, 236u, 238u, 244u, 255u}) r.setByte(at, 0xA5);
    return r;
}

// Writes the record straight into the patch area (one undo step of its own).
inline void PutPatch(tone::MemoryDocument& doc, int position, const PatchRecord& r) {
    const auto base = static_cast<std::uint32_t>(SectorToOffset(doc.definition().patchSector));
    tone::ToneOperation op;
    op.blocks.push_back({base + static_cast<std::uint32_t>(position) * kPatchRecordSize,
                         std::vector<std::uint8_t>(r.bytes().begin(), r.bytes().end())});
    (void)doc.record(op);
}

// The record at `position` as the image holds it.
inline PatchRecord PatchAt(const tone::MemoryDocument& doc, int position) {
    const auto base = static_cast<std::size_t>(SectorToOffset(doc.definition().patchSector));
    return PatchRecord::FromBytes(
        std::span(doc.image()).subspan(base + static_cast<std::size_t>(position) * kPatchRecordSize, kPatchRecordSize));
}

} // namespace veldin::patch::test
