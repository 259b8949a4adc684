// Clipboard data of any content pasted into a demo image, and any file names dropped.
// The first byte picks the target (as the tone file import's target does); the rest is
// the clipboard's bytes. Properties checked: bytes taken from the clipboard are exactly
// a tone file (its serialisation gives them back); a refusal changes no byte; a paste
// is one step whose undo restores the image; the drop rule never both imports and opens.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "core/DiskDefinition.h"
#include "core/Geometry.h"
#include "data/Templates.h"
#include "tone/ToneTransfer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin;
    using namespace veldin::tone;
    static const std::vector<data::DemoImage> demos = data::BuildDemoImages();
    static const std::vector<std::uint8_t>& pristine = demos[2].bytes; // demo.s55
    static MemoryDocument doc(pristine, ClassifyImage(std::span(pristine).first(kHeaderSize)));
    static ToneEditor ed(doc);
    if (size == 0) return 0;
    if (doc.image() != pristine || doc.canUndo()) std::abort();
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);

    const std::string name(bytes.begin(), bytes.end());
    const std::string names[] = {name, name + ".wav"};
    const DropUse use = UseOfDrop(names);
    if (use == DropUse::Import && KindOfFile(name) != FileKind::Wave && KindOfFile(name) != FileKind::Tone) std::abort();

    switch ((data[0] >> 1) % 5) {
    case 0: ed.selectGroup(Group::RamA); break;
    case 1: ed.selectGroup(Group::RamB); break;
    case 2: ed.selectTone(ToneRef::Make(0, Area::Ram, 0)); break;
    case 3: ed.selectGroup(Group::RomA); break;
    default: ed.selectGroup(Group::Ram); break;
    }
    if (auto file = ClipboardToneFile(bytes); file && file->bytes() != std::vector(bytes.begin(), bytes.end()))
        std::abort();
    const auto st = PasteTone(ed, bytes, ed.target());
    if (!st) {
        if (doc.canUndo() || doc.image() != pristine) std::abort();
        return 0;
    }
    ed.afterStep(doc.undo(), StepDirection::Undo);
    if (doc.canUndo() || doc.image() != pristine) std::abort();
    return 0;
}
