#include "patch/PatchAreas.h"

#include <algorithm>

namespace veldin::patch {

PatchRecord PatchRecord::FromBytes(std::span<const std::uint8_t> bytes) {
    PatchRecord r;
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), kPatchRecordSize), r.b_.begin());
    return r;
}

std::string PatchRecord::displayName() const {
    std::string s = rawName();
    std::replace(s.begin(), s.end(), '\0', ' ');
    return s;
}

void PatchRecord::setName(std::string_view name) {
    for (std::size_t i = 0; i < kNameLength; ++i) b_[i] = i < name.size() ? static_cast<std::uint8_t>(name[i]) : 0;
}

bool PatchRecord::isPresent() const {
    if (patchLevel() == 0) return false;
    const auto names = [](std::span<const std::uint8_t, kKeyCount> m) {
        return std::any_of(m.begin(), m.end(), [](std::uint8_t v) { return v < kFirstNoTone; });
    };
    return names(keyMap1()) || names(keyMap2());
}

std::vector<std::uint8_t> PatchRecord::tones() const {
    std::array<bool, kFirstNoTone> seen{};
    std::vector<std::uint8_t> out;
    for (auto map : {keyMap1(), keyMap2()})
        for (std::uint8_t v : map)
            if (v < kFirstNoTone && !seen[v]) {
                seen[v] = true;
                out.push_back(v);
            }
    return out;
}

PatchRecord PatchArea::record(int position) const {
    if (position < 0 || position >= count) return {};
    return PatchRecord::FromBytes(std::span(bytes).subspan(static_cast<std::size_t>(position) * kPatchRecordSize));
}

std::vector<std::uint8_t> PatchArea::with(int position, const PatchRecord& r) const {
    std::vector<std::uint8_t> out = bytes;
    std::copy(r.bytes().begin(), r.bytes().end(),
              out.begin() + static_cast<std::ptrdiff_t>(position) * kPatchRecordSize);
    return out;
}

PatchAreas PatchAreas::Read(const tone::ToneDocument& doc) {
    PatchAreas a;
    a.tones_ = tone::ToneAreas::Read(doc);
    const auto& d = doc.definition();
    const std::int64_t offset = SectorToOffset(d.patchSector);
    // A PatchRef keeps the record offset in 16 bits: at most 256 positions.
    if (!d.hasSounds || d.patchSector < 0 || offset < 0 || d.patchCount == 0 || d.patchCount > 0xFFFF / kPatchRecordSize)
        return a;
    PatchArea p{static_cast<std::uint32_t>(offset), static_cast<int>(d.patchCount),
                std::vector<std::uint8_t>(static_cast<std::size_t>(d.patchCount) * kPatchRecordSize)};
    if (doc.read(p.imageOffset, p.bytes)) a.patches_ = std::move(p);
    return a;
}

std::optional<tone::ToneRecord> PatchAreas::toneRecord(std::uint8_t number) const {
    if (number >= kFirstNoTone) return std::nullopt;
    const bool second = number >= kSecondAreaBase;
    const tone::AreaCopy* area = tones_.get(second ? tone::Area::Rom : tone::Area::Ram);
    const int position = second ? number - kSecondAreaBase : number;
    if (!area || position >= area->count) return std::nullopt;
    return area->record(position);
}

std::string PatchAreas::toneName(std::uint8_t number) const {
    const auto r = toneRecord(number);
    return r ? r->displayName() : std::string();
}

int PatchAreas::freePositions() const {
    if (!patches_) return 0;
    int n = 0;
    for (int k = 0; k < patches_->count; ++k) n += patches_->record(k).isPresent() ? 0 : 1;
    return n;
}

int PatchAreas::firstFreePosition() const {
    for (int k = 0; patches_ && k < patches_->count; ++k)
        if (!patches_->record(k).isPresent()) return k;
    return kNoFreePosition;
}

} // namespace veldin::patch
