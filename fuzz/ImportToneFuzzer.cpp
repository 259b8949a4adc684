// Tone files of any content imported into a demo image. The first byte picks the
// target (each bank group, an original, a subtone, a ROM group); the rest is the file.
// Properties checked: a refusal changes no byte; an import changes the image, keeps
// every tone list entry equal to its record, and its undo restores the image exactly.
// One document and editor per demo image serve the whole process: each run starts from
// the pristine image (checked) and its undo returns there.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/DiskDefinition.h"
#include "core/Geometry.h"
#include "data/Templates.h"
#include "tone/ToneEditor.h"

namespace {

struct Bench {
    const std::vector<std::uint8_t>& pristine;
    veldin::tone::MemoryDocument doc;
    veldin::tone::ToneEditor ed;
    explicit Bench(const veldin::data::DemoImage& demo)
        : pristine(demo.bytes),
          doc(demo.bytes, veldin::ClassifyImage(std::span(demo.bytes).first(veldin::kHeaderSize))), ed(doc) {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin;
    using namespace veldin::tone;
    static const std::vector<data::DemoImage> demos = data::BuildDemoImages();
    static Bench benches[2] = {Bench(demos[2]), Bench(demos[3])}; // demo.s55, demo.sdk
    if (size == 0) return 0;
    Bench& b = benches[data[0] % 2];
    MemoryDocument& doc = b.doc;
    ToneEditor& ed = b.ed;
    const std::vector<std::uint8_t>& before = b.pristine;
    if (doc.image() != before || doc.canUndo()) std::abort();
    switch ((data[0] >> 1) % 6) {
    case 0: ed.selectGroup(Group::RamA); break;
    case 1: ed.selectGroup(Group::RamB); break;
    case 2: ed.selectTone(ToneRef::Make(0, Area::Ram, 0)); break;
    case 3: ed.selectTone(ToneRef::Make(0, Area::Ram, 1)); break;
    case 4: ed.selectGroup(Group::RomA); break;
    default: ed.selectGroup(Group::Ram); break;
    }
    const auto st = ed.importToneFile(std::span(data + 1, size - 1), ed.target());
    if (!st) {
        if (doc.canUndo() || doc.image() != before) std::abort();
        return 0;
    }
    const AreaCopy* ram = ed.areas().ram();
    for (int k = 0; ram && k < ram->count; ++k) {
        const ToneRecord record = ram->record(k);
        const ToneRecord entry = ram->listEntry(k);
        if (!std::equal(record.bytes().begin(), record.bytes().begin() + 16, entry.bytes().begin())) std::abort();
    }
    ed.afterStep(doc.undo(), StepDirection::Undo);
    if (doc.canUndo() || doc.image() != before) std::abort();
    return 0;
}
