#include "tone/WaveExport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/SamplePacking.h"
#include "tone/ToneFile.h"
#include "tone/ToneTexts.h"

namespace veldin::tone {
namespace {

constexpr std::uint32_t kSamplesPerSegment = 12288;
constexpr std::size_t kSamplesAt = 4096; // with MRK files on, WaveLab expects the data here

class Writer {
public:
    explicit Writer(std::vector<std::uint8_t>& out) : out_(out) {}
    void id(const char* four) { out_.insert(out_.end(), four, four + 4); }
    void u16(std::uint32_t v) { for (int i = 0; i < 2; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i))); }
    void u32(std::uint32_t v) { for (int i = 0; i < 4; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i))); }
    void text(std::string_view s) { out_.insert(out_.end(), s.begin(), s.end()); }
    void zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }

private:
    std::vector<std::uint8_t>& out_;
};

std::vector<std::uint8_t> Header(int rate) {
    std::vector<std::uint8_t> h;
    Writer w(h);
    w.id("RIFF");
    w.u32(0);
    w.id("WAVE");
    w.id("fmt ");
    w.u32(16);
    w.u16(1);
    w.u16(1);
    w.u32(static_cast<std::uint32_t>(rate));
    w.u32(static_cast<std::uint32_t>(rate) * 2);
    w.u16(2);
    w.u16(16);
    return h;
}

// "cue ": count 2(n+1), then per tone {id 2i+1 at start} and {id 2i+2 at loop}, each
// {id, position, "data", chunk start 0, block start 0, sample offset}.
void CueChunk(std::vector<std::uint8_t>& out, const std::vector<ExportTone>& tones) {
    Writer w(out);
    const auto points = static_cast<std::uint32_t>(2 * tones.size());
    w.id("cue ");
    w.u32(4 + 24 * points);
    w.u32(points);
    for (std::size_t i = 0; i < tones.size(); ++i) {
        for (const auto& [id, at] : {std::pair{2 * i + 1, tones[i].start}, std::pair{2 * i + 2, tones[i].loop}}) {
            w.u32(static_cast<std::uint32_t>(id));
            w.u32(at);
            w.id("data");
            w.u32(0);
            w.u32(0);
            w.u32(at);
        }
    }
}

std::size_t LablSize(std::string_view label) { return 4 + label.size() + 1 + (label.size() % 2 == 0 ? 1 : 0); }

void Labl(Writer& w, std::size_t id, std::string_view label) {
    w.id("labl");
    w.u32(static_cast<std::uint32_t>(LablSize(label)));
    w.u32(static_cast<std::uint32_t>(id));
    w.text(label);
    w.zeros(label.size() % 2 == 0 ? 2 : 1);
}

// "LIST" "adtl": n+1 "ltxt" {id 2i+2, length end-loop, "rgn ", four 16-bit zeros},
// then 2(n+1) "labl" {id, text, zero, a second zero when the text length is even}.
void ListChunk(std::vector<std::uint8_t>& out, const std::vector<ExportTone>& tones) {
    std::uint32_t size = 4;
    for (const auto& t : tones) size += 8 + 20 + 8 + static_cast<std::uint32_t>(LablSize(t.label)) + 8 +
                                        static_cast<std::uint32_t>(LablSize(t.label + std::string(text::kRegionSuffix)));
    Writer w(out);
    w.id("LIST");
    w.u32(size);
    w.id("adtl");
    for (std::size_t i = 0; i < tones.size(); ++i) {
        w.id("ltxt");
        w.u32(20);
        w.u32(static_cast<std::uint32_t>(2 * i + 2));
        w.u32(tones[i].end - tones[i].loop);
        w.id("rgn ");
        w.u32(0);
        w.u32(0);
    }
    for (std::size_t i = 0; i < tones.size(); ++i) {
        Labl(w, 2 * i + 1, tones[i].label);
        Labl(w, 2 * i + 2, tones[i].label + std::string(text::kRegionSuffix));
    }
}

// "smpl": manufacturer, product, sample period (ns), unity note, pitch fraction, SMPTE
// format and offset, loop count, sampler data, then {cue id, type 0 forward / 1
// alternating, start, end (inclusive), fraction, play count 0 = endless}.
void SmplChunk(std::vector<std::uint8_t>& out, const ExportTone& t, int rate) {
    const int mode = t.record.loopMode();
    const bool loops = (mode == 0 || mode == 1) && t.end > t.loop;
    Writer w(out);
    w.id("smpl");
    w.u32(36 + (loops ? 24 : 0));
    w.u32(0);
    w.u32(0);
    w.u32(static_cast<std::uint32_t>(1000000000 / rate));
    w.u32(t.record.origKey());
    w.u32(0);
    w.u32(0);
    w.u32(0);
    w.u32(loops ? 1 : 0);
    w.u32(0);
    if (loops) {
        w.u32(2);
        w.u32(mode == 1 ? 1 : 0);
        w.u32(t.loop);
        w.u32(t.end - 1);
        w.u32(0);
        w.u32(0);
    }
}

std::string MrkText(const std::vector<ExportTone>& tones) {
    std::string s = "Markers\r\n{\r\n";
    int counter = 0;
    auto marker = [&](const std::string& name, std::uint32_t pos, int type, int flags) {
        char head[32];
        if (counter == 0) std::snprintf(head, sizeof head, "Marker\r\n");
        else std::snprintf(head, sizeof head, "Marker%d\r\n", counter);
        ++counter;
        char values[160];
        std::snprintf(values, sizeof values, "\t\tPos=%u\r\n\t\tType=%d\r\n\t\tFlags=%d\r\n\t\tExtra=%d\r\n", pos, type,
                      flags, 0);
        s += std::string("\t") + head + "\t{\r\n\t\tName=" + name + "\r\n" + values + "\t}\r\n";
    };
    for (const auto& t : tones) {
        marker(t.mrkLabel, t.start, 10, 0);
        marker(t.mrkLabel + std::string(text::kRegionSuffix), t.loop, 11, 0);
        marker(std::string(text::kRegionEnd), t.end, 12, 1);
    }
    return s + "}\r\n";
}

std::uint32_t Clamp(std::int64_t v, std::uint32_t hi) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(v, 0, hi));
}

ExportTone MakeTone(const ToneRecord& r, std::size_t index, std::int64_t origin, std::uint32_t length) {
    ExportTone t{r, LabelText(r), LabelText(r), 0, 0, 0};
    if (t.label.empty()) {
        char buf[24];
        std::snprintf(buf, sizeof buf, text::kToneLabelFormat, static_cast<int>(2 * index + 1));
        t.label = buf;
    }
    t.start = Clamp(static_cast<std::int64_t>(r.startPoint()) - origin, length);
    t.loop = Clamp(static_cast<std::int64_t>(r.loopPoint()) - origin, length);
    t.end = std::max(t.loop, Clamp(static_cast<std::int64_t>(r.endPoint()) - origin, length));
    return t;
}

} // namespace

std::string LabelText(const ToneRecord& r) {
    std::string s = r.rawName();
    s.resize(std::strlen(s.c_str()));
    const auto first = s.find_first_not_of(" \t");
    s = first == std::string::npos ? std::string() : s.substr(first);
    while (!s.empty() && static_cast<unsigned char>(s.back()) < '!') s.pop_back();
    return ReplaceUnsafeCharacters(s);
}

std::filesystem::path MrkPathFor(const std::filesystem::path& wavPath) {
    std::string s = wavPath.string();
    const auto dot = s.rfind('.');
    const auto slash = s.find_last_of("/\\");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) s.resize(dot);
    return s + ".MRK";
}

bool PointsInsideWave(const ToneRecord& r) {
    const std::uint32_t length = static_cast<std::uint32_t>(r.segmentCount()) * kSamplesPerSegment;
    return r.startPoint() <= length && r.loopPoint() <= length && r.endPoint() <= length;
}

Result<ToneWave> BuildToneWave(const ToneDocument& doc, const ToneAreas& areas, ToneRef ref,
                               const WaveExportOptions& options) {
    if (ref.isTone() && ref.area() == Area::Rom) return Fail(text::kRomHasNoWave, Icon::None);
    const auto r = areas.find(ref);
    if (!r || !r->isUsed()) return Fail(text::kCantOpenTone, Icon::None);
    const bool subtone = r->isSubtone() != 0;
    if (subtone && r->endPoint() < r->startPoint()) return Fail(text::kEndBeforeStart, Icon::None);
    if (!WaveInsideBank(*r)) return Fail(text::kWaveOutsideBank);

    std::vector<std::uint8_t> packed(static_cast<std::size_t>(r->segmentCount()) * kSegmentSize);
    if (!doc.read(WaveOffset(r->waveBank(), r->segmentTop()), packed)) return Fail(text::kCantOpenTone, Icon::None);
    ToneWave w;
    w.rate = r->rate();
    w.header = Header(w.rate);
    w.samples.resize(UnpackedSize(packed.size()));
    if (!packed.empty()) UnpackSamples12(packed, w.samples);
    const auto length = static_cast<std::uint32_t>(w.samples.size());

    if (subtone) {
        // Points past the end of the wave are held at its end.
        const std::uint32_t from = std::min(r->startPoint(), length);
        const std::uint32_t to = std::min(r->endPoint(), length);
        if (!options.wholeWave) {
            w.samples = std::vector<std::uint16_t>(w.samples.begin() + from, w.samples.begin() + to);
            w.tones.push_back(MakeTone(*r, 0, from, to - from));
        } else {
            w.tones.push_back(MakeTone(*r, 0, 0, length));
        }
    } else {
        w.tones.push_back(MakeTone(*r, 0, 0, length));
        const AreaCopy& ram = *areas.ram();
        for (int k = 0; k < ram.count; ++k) {
            const ToneRecord s = ram.record(k);
            if (k == ref.position() || !s.isUsed() || s.isSubtone() == 0 || s.sourceTone() != r->sourceTone() ||
                s.waveBank() != r->waveBank())
                continue;
            w.tones.push_back(MakeTone(s, w.tones.size(), 0, length));
        }
    }
    CueChunk(w.regions, w.tones);
    ListChunk(w.regions, w.tones);
    if (options.smpl) SmplChunk(w.smpl, w.tones.front(), w.rate);
    w.mrk = MrkText(w.tones);
    return w;
}

std::vector<std::uint8_t> WaveFileBytes(const ToneWave& wave, const WaveExportOptions& options) {
    std::vector<std::uint8_t> out = wave.header;
    Writer w(out);
    auto data = [&] {
        w.id("data");
        w.u32(static_cast<std::uint32_t>(wave.samples.size() * 2));
        for (std::uint16_t s : wave.samples) w.u16(s);
    };
    if (!options.regions) {
        data();
        out.insert(out.end(), wave.smpl.begin(), wave.smpl.end());
    } else if (!options.mrk) {
        data();
        out.insert(out.end(), wave.regions.begin(), wave.regions.end());
        out.insert(out.end(), wave.smpl.begin(), wave.smpl.end());
    } else {
        out.insert(out.end(), wave.regions.begin(), wave.regions.end());
        out.insert(out.end(), wave.smpl.begin(), wave.smpl.end());
        // The samples start at 4096, or at the next 4096 boundary when the regions of
        // many subtones do not fit before it.
        const std::size_t before = out.size() + 8 + 8;
        const std::size_t boundary = (before + kSamplesAt - 1) / kSamplesAt * kSamplesAt;
        w.id("PAD ");
        w.u32(static_cast<std::uint32_t>(boundary - before));
        w.zeros(boundary - before);
        data();
    }
    WriteLe32(static_cast<std::uint32_t>(out.size() - 8), std::span(out).subspan(4, 4));
    return out;
}

} // namespace veldin::tone
