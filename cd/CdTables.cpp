#include "cd/CdTables.h"

#include <algorithm>

#include "cd/CdMessages.h"
#include "cd/ReadUnits.h"

namespace veldin::cd {
namespace {

std::uint32_t ReadBe32(std::span<const std::uint8_t> b) {
    return (static_cast<std::uint32_t>(b[0]) << 24) | (static_cast<std::uint32_t>(b[1]) << 16) |
           (static_cast<std::uint32_t>(b[2]) << 8) | b[3];
}

std::uint16_t ReadBe16(std::span<const std::uint8_t> b) { return static_cast<std::uint16_t>(b[0] << 8 | b[1]); }

// A fixed-width text field; zero bytes are shown as blanks.
std::string Field(std::span<const std::uint8_t> b, std::size_t at, std::size_t width) {
    std::string s(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + width));
    std::replace(s.begin(), s.end(), '\0', ' ');
    return s;
}

std::string Joined(std::string_view a, std::string_view b) { return TrimText(TrimText(a) + " - " + TrimText(b)); }

DirectoryEntry ParseEntry(std::span<const std::uint8_t> e) {
    DirectoryEntry d;
    d.name = Field(e, 0, 16);
    d.firstUnit = ReadBe32(e.subspan(16, 4));
    d.units = std::max<std::uint32_t>(ReadBe32(e.subspan(20, 4)), 1);
    d.entryCount = ReadBe16(e.subspan(25, 2));
    return d;
}

Failure Damaged() { return Fail(text::kCdTablesDamaged, Icon::Error); }

struct LoadedTable {
    const DirectoryEntry* entry = nullptr;
    std::vector<std::uint8_t> bytes;
};

// Reads the area of one directory entry after checking that it lies on the disc.
Status LoadArea(DiscSource& disc, std::uint64_t discUnits, const DirectoryEntry& e, LoadedTable& into) {
    if (e.units > kMaxTableUnits || e.firstUnit > discUnits || e.units > discUnits - e.firstUnit) return Damaged();
    auto bytes = ReadUnits(disc, e.firstUnit, e.units);
    if (!bytes) return bytes.failure();
    into.entry = &e;
    into.bytes = std::move(bytes).value();
    return {};
}

} // namespace

std::string TrimText(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\0'; };
    std::size_t b = 0, e = s.size();
    while (b < e && blank(s[b]))
        ++b;
    while (e > b && blank(s[e - 1]))
        --e;
    std::string out(s.substr(b, e - b));
    std::replace(out.begin(), out.end(), '\0', ' ');
    return out;
}

std::string InstrumentGroup::text() const { return TrimText(name) + " - " + TrimText(secondName); }

std::string SoundRecord::text() const { return Joined(category, name); }

Result<CdHeader> ParseHeader(std::span<const std::uint8_t> unit0) {
    if (unit0.size() < kHeaderSize || !std::equal(kCdSignature.begin(), kCdSignature.end(), unit0.begin()))
        return Fail(text::kNotRolandCd, Icon::Information);
    CdHeader h;
    for (std::size_t i = 0; i < kDescriptionLines; ++i)
        h.description[i] = TrimText(Field(unit0, kDescriptionOffsets[i], kDescriptionLength));
    for (std::size_t i = 0; i < kDirectoryEntries; ++i)
        h.directory[i] = ParseEntry(unit0.subspan(kDirectoryOffset + i * kDirectoryEntrySize, kDirectoryEntrySize));
    return h;
}

std::vector<InstrumentGroup> ParseGroups(std::span<const std::uint8_t> table, std::size_t count) {
    count = std::min(count, table.size() / kGroupRecordSize);
    std::vector<InstrumentGroup> groups(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto r = table.subspan(i * kGroupRecordSize, kGroupRecordSize);
        groups[i] = {Field(r, 0, 16), Field(r, 16, 16)};
    }
    return groups;
}

std::vector<std::uint16_t> ParseGroupMap(std::span<const std::uint8_t> table, std::size_t count) {
    count = std::min(count, table.size() / 2);
    std::vector<std::uint16_t> map(count);
    for (std::size_t i = 0; i < count; ++i)
        map[i] = static_cast<std::uint16_t>(table[2 * i] | table[2 * i + 1] << 8);
    return map;
}

std::vector<SoundRecord> ParseSoundRecords(std::span<const std::uint8_t> table, std::size_t count) {
    count = std::min(count, table.size() / kSoundRecordSize);
    std::vector<SoundRecord> sounds(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto r = table.subspan(i * kSoundRecordSize, kSoundRecordSize);
        SoundRecord& s = sounds[i];
        s.name = Field(r, 0, 32);
        s.category = Field(r, 32, 16);
        s.firstUnit = ReadBe32(r.subspan(48, 4));
        s.units = ReadBe32(r.subspan(52, 4));
        s.group = r[57];
    }
    return sounds;
}

Result<CdTables> LoadTables(DiscSource& disc) {
    auto unit0 = ReadUnits(disc, 0, 1);
    if (!unit0) return unit0.failure();
    auto header = ParseHeader(*unit0);
    if (!header) return header.failure();

    CdTables t;
    t.header = std::move(header).value();
    t.discUnits = disc.blockCount() * kUnitsPerBlock;

    // Tables are found by name wherever they stand in the directory; a later entry of
    // the same name replaces an earlier one.
    LoadedTable groups, sounds, map;
    for (const DirectoryEntry& e : t.header.directory) {
        LoadedTable* into = e.name == kGroupTableName   ? &groups
                            : e.name == kSoundTableName ? &sounds
                            : e.name == kGroupMapName   ? &map
                                                        : nullptr;
        if (!into) continue;
        if (auto st = LoadArea(disc, t.discUnits, e, *into); !st) return st.failure();
    }
    if (!groups.entry || !sounds.entry || !map.entry) return Damaged();

    // The number of groups is the entry count of the first directory entry; the group
    // table and the group map must both hold that many.
    const std::size_t groupCount = t.header.directory[0].entryCount;
    if (groupCount * kGroupRecordSize > groups.bytes.size() || groupCount * 2 > map.bytes.size()) return Damaged();
    t.groups = ParseGroups(groups.bytes, groupCount);
    t.groupMap = ParseGroupMap(map.bytes, groupCount);

    // Records beyond the directory's own count are padding; a count of 0 or one larger
    // than the table leaves the table's size as the only bound.
    const std::size_t capacity = sounds.bytes.size() / kSoundRecordSize;
    const std::size_t soundCount = sounds.entry->entryCount;
    t.sounds = ParseSoundRecords(sounds.bytes, soundCount > 0 && soundCount <= capacity ? soundCount : capacity);
    return t;
}

Result<std::vector<std::size_t>> SoundsOfGroup(const CdTables& tables, std::size_t group) {
    if (group >= tables.groupMap.size()) return Damaged();
    const std::size_t first = tables.groupMap[group];
    if (first >= tables.sounds.size()) return Damaged();
    std::vector<std::size_t> list;
    const std::uint8_t number = tables.sounds[first].group;
    for (std::size_t i = first; i < tables.sounds.size() && tables.sounds[i].group == number; ++i)
        list.push_back(i);
    return list;
}

Status CheckSoundArea(const SoundRecord& sound, std::uint64_t discUnits) {
    if (sound.units < kParameterUnits || sound.units > kMaxAreaUnits) return Fail(text::kSoundAreaSize, Icon::Warning);
    if (sound.firstUnit > discUnits || sound.units > discUnits - sound.firstUnit)
        return Fail(text::kSoundAreaOutside, Icon::Warning);
    return {};
}

} // namespace veldin::cd
