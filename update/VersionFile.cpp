#include "update/VersionFile.h"

#include <algorithm>

#include "core/Bytes.h"
#include "update/UpdateMessages.h"

namespace veldin::update {
namespace {

constexpr std::string_view kMagic = "DPUO";
constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kEntryHeaderSize = 32;

bool ReadEntry(std::span<const std::uint8_t> bytes, std::size_t& pos, Entry& e) {
    if (bytes.size() - pos < kEntryHeaderSize) return false;
    const auto h = bytes.subspan(pos, kEntryHeaderSize);
    e.reserved = ReadLe32(h.subspan(0));
    e.kind = ReadLe32(h.subspan(4));
    e.version.low = ReadLe32(h.subspan(8));
    e.version.high = ReadLe32(h.subspan(12));
    e.size = ReadLe32(h.subspan(16));
    e.packedSize = ReadLe32(h.subspan(20));
    std::copy_n(h.begin() + 24, 4, e.suffix.begin());
    const std::uint32_t n = ReadLe32(h.subspan(28));
    pos += kEntryHeaderSize;
    if (bytes.size() - pos < n) return false;
    e.name.assign(reinterpret_cast<const char*>(bytes.data() + pos), n);
    pos += n;
    return true;
}

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

} // namespace

std::string Entry::fullName() const {
    const auto end = std::find(suffix.begin(), suffix.end(), '\0');
    return name + std::string(suffix.begin(), end);
}

std::string_view KindName(std::uint32_t kind) {
    switch (kind) {
    case 0: return "Forced";
    case 1: return "Normal";
    case 2: return "Registry";
    case 3: return "Launch";
    default: return "";
    }
}

std::string PackedName(std::string_view fullName) {
    std::string packed(fullName);
    if (!packed.empty()) packed.back() = '_';
    return packed;
}

Result<VersionFile> ParseVersionFile(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kHeaderSize || !std::equal(kMagic.begin(), kMagic.end(), bytes.begin()))
        return Fail(text::kDetailsCorrupted);
    VersionFile file;
    std::copy_n(bytes.begin() + 4, 8, file.reserved.begin());
    const std::uint32_t count = ReadLe32(bytes.subspan(12));
    file.entries.reserve(std::min<std::size_t>(count, bytes.size() / kEntryHeaderSize));
    std::size_t pos = kHeaderSize;
    for (std::uint32_t i = 0; i < count; ++i) {
        Entry e;
        if (!ReadEntry(bytes, pos, e)) return Fail(text::kDetailsCorrupted);
        file.entries.push_back(std::move(e));
    }
    return file;
}

std::vector<std::uint8_t> WriteVersionFile(const VersionFile& file) {
    std::vector<std::uint8_t> out;
    out.reserve(kHeaderSize + file.entries.size() * (kEntryHeaderSize + 16));
    for (char c : kMagic) out.push_back(static_cast<std::uint8_t>(c));
    for (std::uint8_t b : file.reserved) out.push_back(b);
    PutLe32(out, static_cast<std::uint32_t>(file.entries.size()));
    for (const auto& e : file.entries) {
        PutLe32(out, e.reserved);
        PutLe32(out, e.kind);
        PutLe32(out, e.version.low);
        PutLe32(out, e.version.high);
        PutLe32(out, e.size);
        PutLe32(out, e.packedSize);
        for (char c : e.suffix) out.push_back(static_cast<std::uint8_t>(c));
        PutLe32(out, static_cast<std::uint32_t>(e.name.size()));
        out.insert(out.end(), e.name.begin(), e.name.end());
    }
    return out;
}

Entry EntryForName(std::string_view fullName) {
    Entry e;
    const std::size_t cut = fullName.size() > 4 ? fullName.size() - 4 : 0;
    e.name = std::string(fullName.substr(0, cut));
    const auto tail = fullName.substr(cut);
    for (std::size_t i = 0; i < tail.size() && i < e.suffix.size(); ++i) e.suffix[i] = tail[i];
    return e;
}

} // namespace veldin::update
