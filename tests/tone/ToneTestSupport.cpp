#include "tests/tone/ToneTestSupport.h"

#include <algorithm>

#include "core/Geometry.h"
#include "core/SamplePacking.h"
#include "tone/ToneAreas.h"

namespace veldin::tone::test {

MemoryDocument EmptyImage(data::TemplateKind kind) {
    const auto tpl = data::BuildTemplate(kind);
    std::vector<std::uint8_t> img(static_cast<std::size_t>(kImageSize), 0);
    std::copy(tpl.begin(), tpl.end(), img.begin());
    const auto def = ClassifyImage(std::span(img).first(kHeaderSize));
    return MemoryDocument(std::move(img), def);
}

ToneRecord MakeRecord(const Placed& p) {
    ToneRecord r;
    r.setName(p.name);
    r.setSourceTone(static_cast<std::uint8_t>(p.source < 0 ? p.position : p.source));
    r.setIsSubtone(p.subtone ? 1 : 0);
    r.setOrigKey(60);
    r.setWaveBank(static_cast<std::uint8_t>(p.bank));
    r.setSegmentTop(static_cast<std::uint8_t>(p.segmentTop));
    r.setSegmentCount(static_cast<std::uint8_t>(p.segments));
    r.setStartPoint(p.start);
    r.setLoopPoint(p.loop);
    r.setEndPoint(p.end);
    r.setLoopLength(p.end - p.loop);
    r.setVolume(100);
    for (std::size_t at : {27u, 73u, 126u}) r.setByte(at, 0xA5);
    return r;
}

void Put(MemoryDocument& doc, const Placed& p, Area area) {
    const auto& d = doc.definition();
    const int count = static_cast<int>(area == Area::Ram ? d.toneCount : d.toneCount2);
    const auto base = static_cast<std::uint32_t>(SectorToOffset(area == Area::Ram ? d.toneSector : d.toneSector2));
    const ToneRecord r = MakeRecord(p);
    ToneOperation op;
    op.blocks.push_back({base + static_cast<std::uint32_t>(p.position) * 128,
                         std::vector<std::uint8_t>(r.bytes().begin(), r.bytes().end())});
    op.blocks.push_back({base + static_cast<std::uint32_t>(count) * 128 + static_cast<std::uint32_t>(p.position) * 16,
                         std::vector<std::uint8_t>(r.bytes().begin(), r.bytes().begin() + 16)});
    (void)doc.record(op);
}

std::vector<std::uint16_t> Unpacked(const ToneFile& f) {
    std::vector<std::uint16_t> w(UnpackedSize(f.wave.size()));
    UnpackSamples12(f.wave, w);
    return w;
}

void FillWave(MemoryDocument& doc, int bank, int top, int count, int seed) {
    std::vector<std::uint16_t> words(static_cast<std::size_t>(count) * 12288);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<std::uint16_t>(((i * 7 + static_cast<std::size_t>(seed) * 131) % 4096) << 4);
    std::vector<std::uint8_t> packed(static_cast<std::size_t>(count) * kSegmentSize);
    PackSamples12(words, packed);
    ToneOperation op;
    op.blocks.push_back({WaveOffset(bank, top), std::move(packed)});
    (void)doc.record(op);
}

} // namespace veldin::tone::test
