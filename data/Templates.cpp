#include "data/Templates.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <span>
#include <string>

#include "core/Bytes.h"
#include "core/DiskDefinition.h"
#include "core/DiskMemo.h"
#include "core/Geometry.h"
#include "core/SamplePacking.h"

namespace veldin::data {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::size_t at, std::string_view text) {
    std::copy(text.begin(), text.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
}

const DiskDefinition& Row(std::string_view family, std::uint8_t lastKeyByte) {
    for (const auto& row : DefinitionTable())
        if (row.family() == family && row.key[7] == lastKeyByte) return row;
    return FallbackDefinition();
}

// Sector 0 of every kind: bytes 4-7 and 12-15 are the identifying key.
void PutKey(Bytes& b, const DiskDefinition& row) {
    std::copy(row.key.begin(), row.key.begin() + 4, b.begin() + 4);
    std::copy(row.key.begin() + 4, row.key.end(), b.begin() + 12);
}

// FAT12 entry n of the table at `fat`: two entries in three bytes, little-endian.
void SetFat12(Bytes& b, std::size_t fat, int n, std::uint16_t value) {
    const std::size_t at = fat + static_cast<std::size_t>(n / 2 * 3);
    if (n % 2 == 0) {
        b[at] = static_cast<std::uint8_t>(value);
        b[at + 1] = static_cast<std::uint8_t>((b[at + 1] & 0xF0) | ((value >> 8) & 0x0F));
    } else {
        b[at + 1] = static_cast<std::uint8_t>((b[at + 1] & 0x0F) | ((value & 0x0F) << 4));
        b[at + 2] = static_cast<std::uint8_t>(value >> 4);
    }
}

void PutRootEntry(Bytes& b, int index, std::string_view name11, std::uint8_t attribute, std::uint16_t cluster,
                  std::uint32_t size) {
    const std::size_t at = 3584 + static_cast<std::size_t>(index) * 32;
    Put(b, at, name11.substr(0, 11));
    b[at + 11] = attribute;
    WriteLe16(cluster, std::span(b).subspan(at + 26, 2));
    WriteLe32(size, std::span(b).subspan(at + 28, 4));
}

// A W-30 disk as the W-30 formats it:
//   sector 0:  bytes 0-3 zero, 4-11 "W-30" + four blanks, 12-15 the kind's key bytes,
//              then 32-byte text slots, each closed by FEh, the second naming the disk
//   512:       FAT1 (1536 bytes), 2048: FAT2, identical; entries 0-3 FF9 FFF 003 FFF
//   3584:      root directory: entry 0 the volume label (08h), entry 1 "SONG    DIR"
//              (20h, cluster 2, 2,048 bytes: the song directory in clusters 2 and 3)
//   7168:      song directory, 64 empty records
// Clusters past the song area are marked FFF so that no song is ever stored there.
Bytes W30Template(const DiskDefinition& row, std::string_view diskText, std::string_view label) {
    Bytes b(kSystemAreaSize, 0);
    Put(b, 4, "W-30    ");
    std::copy(row.key.begin() + 4, row.key.end(), b.begin() + 12);
    for (int slot = 0; slot < 4; ++slot) {
        if (slot > 0) std::fill_n(b.begin() + slot * 32, 31, std::uint8_t{' '});
        b[static_cast<std::size_t>(slot * 32 + 31)] = 0xFE;
    }
    Put(b, 32, diskText);

    const int firstCluster = 4;
    const int lastCluster = firstCluster + static_cast<int>(row.songAreaKb) - 1;
    for (std::size_t fat : {std::size_t{512}, std::size_t{2048}}) {
        SetFat12(b, fat, 0, 0xFF9);
        SetFat12(b, fat, 1, 0xFFF);
        SetFat12(b, fat, 2, 0x003);
        SetFat12(b, fat, 3, 0xFFF);
        for (int c = lastCluster + 1; c <= 714; ++c) SetFat12(b, fat, c, 0xFFF);
    }
    PutRootEntry(b, 0, label, 0x08, 0, 0);
    PutRootEntry(b, 1, "SONG    DIR", 0x20, 2, 2048);
    return b;
}

// The tone record that tones made from WAV files start from. Every field the WAV
// conversion does not set comes from here:
//   rate 30 kHz, key C4, one-shot, full volume (127), no velocity or key scaling;
//   TVF switched off with cut-off 127 and no resonance: the sound passes unfiltered;
//   TVA envelope of an organ: instant attack to 127, held at 127, released at rate 100;
//   TVF envelope flat at 127; LFO sine at rate 64 with every depth 0 (no vibrato);
//   bender on, aftertouch off, pitch follows the keyboard.
std::array<std::uint8_t, kToneRecordSize> DefaultRecord() {
    std::array<std::uint8_t, kToneRecordSize> r{};
    std::memcpy(r.data(), "DEFAULT ", 8);
    r[11] = 0;    // rateShift: 30000 >> 0
    r[12] = 60;   // origKey C4
    r[25] = 2;    // loopMode One-Shot
    r[28] = 64;   // lfoRate
    r[38] = 127;  // tvfCutoff
    r[49] = 0;    // tvfSwitch off
    r[50] = 1;    // benderSwitch
    const std::uint8_t tva[18] = {1, 3, 127, 127, 127, 127, 0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::memcpy(r.data() + 51, tva, sizeof tva);
    r[71] = 127;  // volume
    r[105] = 1;   // pitchFollow
    const std::uint8_t tvf[18] = {1, 3, 127, 127, 127, 127, 127, 127, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::memcpy(r.data() + 107, tvf, sizeof tvf);
    return r;
}

// ---- demo images ----------------------------------------------------------

struct DemoTone {
    std::string_view name;
    int position;
    int bank;       // 0 = A, 1 = B
    int segmentTop;
    int segments;
    int key;
    bool subtone;
    int source;     // tone number
};

void WriteWave(Bytes& img, int bank, int segmentTop, int segments, double cycles, bool saw) {
    const std::size_t samples = static_cast<std::size_t>(segments) * kSegmentSize / 3 * 2;
    std::vector<std::uint16_t> words(samples);
    for (std::size_t i = 0; i < samples; ++i) {
        const double phase = std::fmod(static_cast<double>(i) * cycles / 12288.0, 1.0);
        const double v = saw ? 2.0 * phase - 1.0 : std::sin(2.0 * std::numbers::pi * phase);
        const auto s = static_cast<std::int16_t>(std::lround(v * 0.7 * 2047.0)) * 16;
        words[i] = static_cast<std::uint16_t>(s);
    }
    const std::size_t at = static_cast<std::size_t>(bank == 0 ? kWaveBankA : kWaveBankB) +
                           static_cast<std::size_t>(segmentTop) * kSegmentSize;
    PackSamples12(words, std::span(img).subspan(at, static_cast<std::size_t>(segments) * kSegmentSize));
}

void WriteTone(Bytes& img, const DiskDefinition& row, const DemoTone& t) {
    auto r = DefaultRecord();
    std::memcpy(r.data(), t.name.data(), 8);
    r[9] = static_cast<std::uint8_t>(t.source);
    r[10] = t.subtone ? 1 : 0;
    r[12] = static_cast<std::uint8_t>(t.key);
    r[13] = static_cast<std::uint8_t>(t.bank);
    r[14] = static_cast<std::uint8_t>(t.segmentTop);
    r[15] = static_cast<std::uint8_t>(t.segments);
    const std::uint32_t end = static_cast<std::uint32_t>(t.segments) * 12288 - 1;
    const std::uint32_t loop = end / 2;
    WriteBe24(0, std::span(r).subspan(16, 3));
    WriteBe24(end, std::span(r).subspan(19, 3));
    WriteBe24(loop, std::span(r).subspan(22, 3));
    r[25] = 0; // loop forward
    WriteBe24(end - loop, std::span(r).subspan(102, 3));
    const std::size_t area = static_cast<std::size_t>(SectorToOffset(row.toneSector));
    std::copy(r.begin(), r.end(), img.begin() + static_cast<std::ptrdiff_t>(area + static_cast<std::size_t>(t.position) * 128));
    const std::size_t list = area + row.toneCount * 128 + static_cast<std::size_t>(t.position) * 16;
    std::copy_n(r.begin(), 16, img.begin() + static_cast<std::ptrdiff_t>(list));
}

void WriteMemo(Bytes& img, const DiskDefinition& row, std::string_view name, std::array<std::string_view, 4> lines) {
    const std::size_t at = static_cast<std::size_t>(SectorToOffset(row.memoSector));
    std::span<std::uint8_t, 512> sector(img.data() + at, 512);
    DiskMemo memo = DecodeMemo(row, sector);
    memo.name = CentreInField(name, kMemoNameLength);
    for (std::size_t i = 0; i < lines.size(); ++i) memo.memoLines[i] = CentreInField(lines[i], kMemoLineLength);
    EncodeMemo(memo, row, sector);
}

// A demo patch: its name, key mode and the tone number each key plays in the two maps
// (109 keys each, layout of the patch record: name 0-11, bender 12, key mode 15, V-SW
// threshold 16, maps at 17 and 126, level 237).
struct DemoPatch {
    std::string_view name;
    int position;
    std::uint8_t keyMode;
    std::array<std::uint8_t, 109> map1, map2;
};

std::array<std::uint8_t, 109> Split(std::initializer_list<std::pair<int, std::uint8_t>> fromKey) {
    std::array<std::uint8_t, 109> m{};
    for (const auto& [key, tone] : fromKey) std::fill(m.begin() + key, m.end(), tone);
    return m;
}

void WritePatch(Bytes& img, const DiskDefinition& row, const DemoPatch& p) {
    const std::size_t at = static_cast<std::size_t>(SectorToOffset(row.patchSector)) + static_cast<std::size_t>(p.position) * 256;
    std::copy(p.name.begin(), p.name.end(), img.begin() + static_cast<std::ptrdiff_t>(at));
    img[at + 12] = 2; // bender range
    img[at + 15] = p.keyMode;
    img[at + 16] = 64; // V-SW threshold
    std::copy(p.map1.begin(), p.map1.end(), img.begin() + static_cast<std::ptrdiff_t>(at + 17));
    std::copy(p.map2.begin(), p.map2.end(), img.begin() + static_cast<std::ptrdiff_t>(at + 126));
    img[at + 237] = 127; // level
}

Bytes SoundDemo(TemplateKind kind, std::string_view model) {
    const Bytes tpl = BuildTemplate(kind);
    Bytes img(static_cast<std::size_t>(kImageSize), 0);
    std::copy(tpl.begin(), tpl.end(), img.begin());
    const DiskDefinition row = ClassifyImage(std::span(img).first(kHeaderSize));
    WriteMemo(img, row, "VELDIN DEMO", {model, "Sine, saw", "and a", "subtone"});
    const DemoTone tones[] = {
        {"SINE A4 ", 0, 0, 0, 2, 69, false, 0},
        {"SINE LO ", 1, 0, 0, 2, 57, true, 0},
        {"SAW C3  ", 2, 1, 0, 1, 48, false, 2},
    };
    WriteWave(img, 0, 0, 2, 440.0 * 12288.0 / 30000.0 * 1.0, false);
    WriteWave(img, 1, 0, 1, 130.81 * 12288.0 / 30000.0, true);
    for (const auto& t : tones) WriteTone(img, row, t);
    // A keyboard split over the three tones, and the two originals switched by velocity.
    const auto split = Split({{0, 1}, {36, 2}, {72, 0}});
    WritePatch(img, row, {"SPLIT 3 WAY ", 0, 0, split, split});
    WritePatch(img, row, {"SINE/SAW VSW", 1, 3, Split({{0, 0}}), Split({{0, 2}})});
    return img;
}

Bytes SongDemo() {
    const Bytes tpl = BuildTemplate(TemplateKind::W30S);
    Bytes img(static_cast<std::size_t>(kImageSize), 0);
    std::copy(tpl.begin(), tpl.end(), img.begin());
    return img;
}

} // namespace

Bytes BuildTemplate(TemplateKind kind) {
    switch (kind) {
    case TemplateKind::W30:
        return W30Template(Row("W-30", 0x01), "W-30 Sound & Song Data Disk", "SOUND&SONG ");
    case TemplateKind::W30S:
        return W30Template(Row("W-30", 0x02), "W-30 Song Data Disk", "SONG DISK  ");
    case TemplateKind::S50:
    case TemplateKind::S330:
    case TemplateKind::S550: {
        Bytes b(kSystemAreaSize, 0);
        const auto& row = kind == TemplateKind::S50    ? Row("S-50", 0x01)
                          : kind == TemplateKind::S330 ? Row("S330", 0x08)
                                                       : Row("S550", 0x04);
        PutKey(b, row);
        return b;
    }
    }
    return {};
}

Bytes BuildDefaultSton() {
    Bytes b(6 + kToneRecordSize, 0);
    Put(b, 0, "RTON");
    b[4] = 0; // segments
    b[5] = 1; // tones
    const auto r = DefaultRecord();
    std::copy(r.begin(), r.end(), b.begin() + 6);
    return b;
}

std::vector<DemoImage> BuildDemoImages() {
    std::vector<DemoImage> out;
    out.push_back({"demo.s50", SoundDemo(TemplateKind::S50, "S-50 sounds")});
    out.push_back({"demo.s33", SoundDemo(TemplateKind::S330, "S-330 sounds")});
    out.push_back({"demo.s55", SoundDemo(TemplateKind::S550, "S-550 sounds")});
    out.push_back({"demo.sdk", SoundDemo(TemplateKind::W30, "W-30 sounds")});
    out.push_back({"demo.sng", SongDemo()});
    return out;
}

} // namespace veldin::data
