#include "tone/ToneFile.h"

#include <algorithm>
#include <cstring>

#include "tone/ToneTexts.h"

namespace veldin::tone {

bool HasRtonMagic(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 4 && std::memcmp(bytes.data(), "RTON", 4) == 0;
}

bool RecordsMatchHeader(const ToneFile& f) {
    for (std::size_t i = 0; i < f.records.size(); ++i) {
        const ToneRecord& r = f.records[i];
        if ((r.isSubtone() != 0) != (i != 0)) return false;
        if (r.segmentCount() == 0 || r.segmentCount() > f.segments) return false;
    }
    return true;
}

Result<ToneFile> ParseToneFile(std::span<const std::uint8_t> bytes) {
    if (!HasRtonMagic(bytes)) return Fail(text::kNotRton);
    if (bytes.size() < kToneFileHeader) return Fail(text::kToneFileShort);
    ToneFile f;
    f.segments = bytes[4];
    const std::size_t tones = bytes[5];
    if (tones == 0) return Fail(text::kToneFileNoTones);
    const std::size_t waveBytes = static_cast<std::size_t>(f.segments) * kSegmentSize;
    if (bytes.size() < kToneFileHeader + tones * kToneRecordSize + waveBytes) return Fail(text::kToneFileShort);
    for (std::size_t i = 0; i < tones; ++i)
        f.records.push_back(ToneRecord::FromBytes(bytes.subspan(kToneFileHeader + i * kToneRecordSize, kToneRecordSize)));
    const auto wave = bytes.subspan(kToneFileHeader + tones * kToneRecordSize, waveBytes);
    f.wave.assign(wave.begin(), wave.end());
    return f;
}

std::vector<std::uint8_t> ToneFile::bytes() const {
    std::vector<std::uint8_t> out{'R', 'T', 'O', 'N', segments, static_cast<std::uint8_t>(records.size())};
    out.reserve(kToneFileHeader + records.size() * kToneRecordSize + wave.size());
    for (const auto& r : records) out.insert(out.end(), r.bytes().begin(), r.bytes().end());
    out.insert(out.end(), wave.begin(), wave.end());
    return out;
}

ToneFile ToneFile::subtoneFile() const {
    ToneFile f;
    if (!records.empty()) f.records.push_back(records.front());
    return f;
}

std::vector<std::uint32_t> CoveredPositions(const ToneAreas& areas, ToneRef ref) {
    const auto r = areas.find(ref);
    if (!r) return {};
    std::vector<std::uint32_t> out{ref.offset()};
    if (ref.area() == Area::Rom || r->isSubtone() != 0) return out;
    // The original is followed by the used subtones of its tone number, in position
    // order. Another original with the same number (not made by this system) is left
    // out, so that T always counts the records a file holds.
    const AreaCopy& ram = *areas.ram();
    for (int k = 0; k < ram.count; ++k) {
        const ToneRecord s = ram.record(k);
        if (k == ref.position() || !s.isUsed() || s.isSubtone() == 0 || s.sourceTone() != r->sourceTone()) continue;
        out.push_back(static_cast<std::uint32_t>(k) * kToneRecordSize);
    }
    return out;
}

bool WaveInsideBank(const ToneRecord& r) { return r.segmentTop() + r.segmentCount() <= kSegmentsPerBank; }

Result<Extracted> ExtractToneFile(const ToneDocument& doc, const ToneAreas& areas, ToneRef ref) {
    const auto r = areas.find(ref);
    if (!r) return Fail(text::kCantOpenTone, Icon::None);
    Extracted x;
    x.positions = CoveredPositions(areas, ref);
    const AreaCopy& area = *areas.get(ref.area());
    for (std::uint32_t p : x.positions) x.file.records.push_back(area.record(static_cast<int>(p / kToneRecordSize)));
    if (ref.area() == Area::Rom || r->isSubtone() != 0) return x;
    // A record that claims segments past the end of its bank would carry (and on
    // delete, zero) the wave of another bank.
    if (!WaveInsideBank(*r)) return Fail(text::kWaveOutsideBank);
    x.file.segments = r->segmentCount();
    x.waveOffset = WaveOffset(r->waveBank(), r->segmentTop());
    x.file.wave.resize(static_cast<std::size_t>(x.file.segments) * kSegmentSize);
    if (!doc.read(*x.waveOffset, x.file.wave)) return Fail(text::kCantOpenTone, Icon::None);
    return x;
}

std::vector<SaveKind> SaveFilters(const ToneFile& file) {
    if (file.segments != 0) return {SaveKind::Tone, SaveKind::Subtone};
    return {SaveKind::Subtone};
}

std::vector<std::uint8_t> SaveToneBytes(const ToneFile& file, SaveKind chosen) {
    const bool subtone = chosen == SaveKind::Subtone || file.segments == 0 ||
                         (!file.records.empty() && file.records.front().isSubtone() != 0);
    return subtone ? file.subtoneFile().bytes() : file.bytes();
}

std::string ReplaceUnsafeCharacters(std::string s) {
    for (char& c : s)
        if (std::string_view(":\\/,?*<\"|").find(c) != std::string_view::npos) c = '_';
    return s;
}

std::string ProposedFileName(const ToneRecord& r) {
    std::string name = r.rawName();
    name.resize(std::strlen(name.c_str()));
    name = ReplaceUnsafeCharacters(name);
    return name.empty() ? std::string(text::kNoName) : name;
}

} // namespace veldin::tone
