// Tone files of any content imported into a demo image. The first byte picks the
// target (each bank group, an original, a subtone, a ROM group); the rest is the file.
// Properties checked: a refusal changes no byte; an import changes the image, keeps
// every tone list entry equal to its record, and its undo restores the image exactly.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/DiskDefinition.h"
#include "core/Geometry.h"
#include "data/Templates.h"
#include "tone/ToneEditor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin;
    using namespace veldin::tone;
    static const std::vector<data::DemoImage> demos = data::BuildDemoImages();
    if (size == 0) return 0;
    const auto& demo = demos[data[0] % 2 == 0 ? 2 : 3]; // demo.s55 or demo.sdk
    MemoryDocument doc(demo.bytes, ClassifyImage(std::span(demo.bytes).first(kHeaderSize)));
    ToneEditor ed(doc);
    switch ((data[0] >> 1) % 6) {
    case 0: ed.selectGroup(Group::RamA); break;
    case 1: ed.selectGroup(Group::RamB); break;
    case 2: ed.selectTone(ToneRef::Make(0, Area::Ram, 0)); break;
    case 3: ed.selectTone(ToneRef::Make(0, Area::Ram, 1)); break;
    case 4: ed.selectGroup(Group::RomA); break;
    default: ed.selectGroup(Group::Ram); break;
    }
    const auto before = doc.image();
    const auto st = ed.importToneFile(std::span(data + 1, size - 1), ed.target());
    if (!st) {
        if (doc.image() != before) std::abort();
        return 0;
    }
    const AreaCopy* ram = ed.areas().ram();
    for (int k = 0; ram && k < ram->count; ++k) {
        const ToneRecord record = ram->record(k);
        const ToneRecord entry = ram->listEntry(k);
        if (!std::equal(record.bytes().begin(), record.bytes().begin() + 16, entry.bytes().begin())) std::abort();
    }
    ed.afterStep(doc.undo(), StepDirection::Undo);
    if (doc.image() != before) std::abort();
    return 0;
}
