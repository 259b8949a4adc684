// Patch files of any content loaded into a demo image. The first byte picks the image
// and how the map dialog is answered; the rest is the file.
// Properties checked: a refusal or a cancel changes no byte; a load changes only the
// record at the first free position, keeps every key byte of 128 or more, and its undo
// restores the image exactly. One document and editor per demo image serve the whole
// process: each run starts from the pristine image (checked) and its undo returns there.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/DiskDefinition.h"
#include "core/Geometry.h"
#include "data/Templates.h"
#include "patch/PatchEditor.h"

namespace {

using namespace veldin::patch;

// Yes to the preselected tone (or the first listed one), No, or Cancel, by turns.
class TurnMapper final : public ToneMapper {
public:
    explicit TurnMapper(std::uint8_t seed) : turn_(seed) {}
    MapChoice mapMissingTone(const MissingToneDialog& d) override {
        switch (turn_++ % 3) {
        case 0: {
            const auto& list = d.romShown ? d.rom : d.ram;
            if (list.empty()) return {veldin::Answer::Cancel, 0};
            return {veldin::Answer::Yes, list[d.preselected.value_or(0)].number};
        }
        case 1: return {veldin::Answer::No, 0};
        default: return {veldin::Answer::Cancel, 0};
        }
    }

private:
    unsigned turn_;
};

} // namespace

namespace {

struct Bench {
    const std::vector<std::uint8_t>& pristine;
    veldin::tone::MemoryDocument doc;
    PatchEditor ed;
    explicit Bench(const veldin::data::DemoImage& demo)
        : pristine(demo.bytes),
          doc(demo.bytes, veldin::ClassifyImage(std::span(demo.bytes).first(veldin::kHeaderSize))), ed(doc) {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin;
    static const std::vector<data::DemoImage> demos = data::BuildDemoImages();
    static Bench benches[2] = {Bench(demos[2]), Bench(demos[3])}; // demo.s55, demo.sdk
    if (size == 0) return 0;
    Bench& b = benches[data[0] % 2];
    tone::MemoryDocument& doc = b.doc;
    PatchEditor& ed = b.ed;
    const std::vector<std::uint8_t>& before = b.pristine;
    if (doc.image() != before || doc.canUndo()) std::abort();
    TurnMapper mapper(static_cast<std::uint8_t>(data[0] >> 1));
    const int position = ed.selection().firstFreePosition;
    const auto r = ed.loadPatch(std::span(data + 1, size - 1), mapper);
    if (!r || r->cancelled) {
        if (doc.canUndo() || doc.image() != before) std::abort();
        return 0;
    }
    if (r->position != position || !ed.areas().patches()) std::abort();
    const auto area = ed.areas().patches()->imageOffset;
    const std::size_t at = area + static_cast<std::size_t>(position) * kPatchRecordSize;
    // Outside the record: two plain comparisons of what lies before and after it.
    const auto& now = doc.image();
    if (!std::equal(now.begin(), now.begin() + static_cast<std::ptrdiff_t>(at), before.begin()) ||
        !std::equal(now.begin() + static_cast<std::ptrdiff_t>(at + kPatchRecordSize), now.end(),
                    before.begin() + static_cast<std::ptrdiff_t>(at + kPatchRecordSize)))
        std::abort();
    const PatchRecord loaded = ed.areas().patches()->record(position);
    const PatchRecord file = PatchRecord::FromBytes(std::span(data + 1, size - 1).subspan(8));
    for (std::size_t k = kKeyMap1; k < kKeyMap1 + 2 * kKeyCount; ++k)
        if (file.bytes()[k] >= kFirstNoTone && loaded.bytes()[k] != file.bytes()[k]) std::abort();
    ed.afterStep(doc.undo(), StepDirection::Undo);
    if (doc.canUndo() || doc.image() != before || ed.tree().findPatch(position) != kNoItem) std::abort();
    return 0;
}
