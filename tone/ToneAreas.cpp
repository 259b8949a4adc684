#include "tone/ToneAreas.h"

#include <algorithm>
#include <cstdio>

#include "tone/ToneTexts.h"

namespace veldin::tone {
namespace {

constexpr int kEntryBytes = kToneRecordSize + kToneListEntrySize; // 144

std::optional<AreaCopy> ReadArea(const ToneDocument& doc, Area area, std::int32_t sector, std::uint32_t count) {
    const std::int64_t offset = SectorToOffset(sector);
    if (sector < 0 || offset < 0 || count == 0 || count > 0xFFFF / kToneRecordSize) return std::nullopt;
    AreaCopy a{area, static_cast<std::uint32_t>(offset), static_cast<int>(count),
               std::vector<std::uint8_t>(count * kEntryBytes)};
    if (!doc.read(a.imageOffset, a.bytes)) return std::nullopt;
    return a;
}

} // namespace

ToneRecord AreaCopy::record(int position) const {
    if (position < 0 || position >= count) return {};
    return ToneRecord::FromBytes(std::span(bytes).subspan(static_cast<std::size_t>(position) * kToneRecordSize));
}

ToneRecord AreaCopy::listEntry(int position) const {
    if (position < 0 || position >= count) return {};
    const std::size_t at = static_cast<std::size_t>(count) * kToneRecordSize +
                           static_cast<std::size_t>(position) * kToneListEntrySize;
    return ToneRecord::FromBytes(std::span(bytes).subspan(at, kToneListEntrySize));
}

void AreaCopy::put(std::vector<std::uint8_t>& area, int position, const ToneRecord& r) const {
    const auto& b = r.bytes();
    const std::size_t rec = static_cast<std::size_t>(position) * kToneRecordSize;
    const std::size_t list = static_cast<std::size_t>(count) * kToneRecordSize + rec / 8;
    std::copy(b.begin(), b.end(), area.begin() + static_cast<std::ptrdiff_t>(rec));
    std::copy_n(b.begin(), kToneListEntrySize, area.begin() + static_cast<std::ptrdiff_t>(list));
}

ToneRecord ToneRecord::FromBytes(std::span<const std::uint8_t> bytes) {
    ToneRecord r;
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), kToneRecordSize), r.b_.begin());
    return r;
}

std::string ToneRecord::displayName() const {
    std::string s = rawName();
    std::replace(s.begin(), s.end(), '\0', ' ');
    return s;
}

void ToneRecord::setName(std::string_view name) {
    for (std::size_t i = 0; i < 8; ++i) b_[i] = i < name.size() ? static_cast<std::uint8_t>(name[i]) : 0;
}

ToneAreas ToneAreas::Read(const ToneDocument& doc) {
    ToneAreas a;
    const auto& d = doc.definition();
    if (d.hasSounds) a.ram_ = ReadArea(doc, Area::Ram, d.toneSector, d.toneCount);
    if (d.family() == "W-30") a.rom_ = ReadArea(doc, Area::Rom, d.toneSector2, d.toneCount2);
    return a;
}

std::optional<ToneRecord> ToneAreas::find(ToneRef ref) const {
    if (!ref.isTone()) return std::nullopt;
    const AreaCopy* a = get(ref.area());
    if (!a || ref.offset() % kToneRecordSize != 0 || ref.position() >= a->count) return std::nullopt;
    return a->record(ref.position());
}

std::uint32_t WaveOffset(int bank, int segment) {
    const std::uint32_t base = bank == 0 ? kWaveBankA : kWaveBankB;
    return base + static_cast<std::uint32_t>(segment) * kSegmentSize;
}

BankMemory ComputeBankMemory(const ToneAreas& areas, int bank) {
    BankMemory m{bank, kSegmentsPerBank, 0, -1, 0};
    const AreaCopy* a = areas.get(bank >= 2 ? Area::Rom : Area::Ram);
    if (!a) {
        m.freeSegments = 0;
        return m;
    }
    m.freePositions = a->count;
    for (int k = 0; k < a->count; ++k) {
        const ToneRecord e = a->listEntry(k);
        if (!e.isUsed()) {
            if (m.firstFreePosition < 0) m.firstFreePosition = k;
            continue;
        }
        if (e.waveBank() == bank && e.isSubtone() == 0) {
            m.freeSegments -= e.segmentCount();
            const int top = static_cast<std::uint8_t>(e.segmentTop() + e.segmentCount());
            m.nextFreeSegment = std::max(m.nextFreeSegment, top);
        }
        --m.freePositions;
    }
    if (bank >= 2) m.freeSegments = 0;
    return m;
}

std::string MemoryText(const BankMemory& m) {
    char buf[80];
    std::snprintf(buf, sizeof buf, text::kMemoryFormat, m.freePositions, m.freeSegments * 24576);
    return buf;
}

} // namespace veldin::tone
