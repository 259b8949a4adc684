#pragma once
// The tables of a Roland sample CD-ROM. Numbers on the disc are big-endian, except the
// group map, which is little-endian.
//
// Header (unit 0, the first 512 bytes of block 0):
//   0-15     signature "* ROLAND S-550 *"
//   32-63, 64-95, 96-127, 224-255   four description lines of 32 characters
//   256-511  directory: 8 entries of 32 bytes
// Directory entry (32 bytes):
//   0-15 name, 16-19 first unit, 20-23 length in units (0 counts as 1), 25-26 entry count
// Instrument group record (32 bytes): 0-15 name, 16-31 second name
// Group map: one 16-bit number per group, the index of the group's first sound record
// Sound record (64 bytes):
//   0-31 name, 32-47 category, 48-51 first unit of the sound area, 52-55 its length in
//   units, 57 group number

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cd/DiscSource.h"
#include "core/Result.h"

namespace veldin::cd {

inline constexpr std::string_view kCdSignature = "* ROLAND S-550 *";
inline constexpr std::string_view kGroupTableName = "Instrument Group";
inline constexpr std::string_view kSoundTableName = "Sound Directory ";
inline constexpr std::string_view kGroupMapName = "map1 Instrument ";

inline constexpr std::size_t kHeaderSize = 512;
inline constexpr std::size_t kDirectoryOffset = 256;
inline constexpr std::size_t kDirectoryEntries = 8;
inline constexpr std::size_t kDirectoryEntrySize = 32;
inline constexpr std::size_t kGroupRecordSize = 32;
inline constexpr std::size_t kSoundRecordSize = 64;
inline constexpr std::size_t kDescriptionLines = 4;
inline constexpr std::size_t kDescriptionOffsets[kDescriptionLines] = {32, 64, 96, 224};
inline constexpr std::size_t kDescriptionLength = 32;

// A sound area is 18 units of parameters (sectors 126-143 of a sound disk) followed by
// 16-bit samples; 1,728 units of samples pack into the 1,296 sectors of both wave banks.
inline constexpr std::uint32_t kParameterUnits = 18;
inline constexpr std::uint32_t kParameterBytes = kParameterUnits * 512; // 9,216
inline constexpr std::uint32_t kMaxWaveUnits = 1728;
inline constexpr std::uint32_t kMaxAreaUnits = kParameterUnits + kMaxWaveUnits; // 1,746

// No table needs more than 65,535 records of 64 bytes (the entry counts are 16-bit);
// a longer one is taken as damage rather than read into memory.
inline constexpr std::uint32_t kMaxTableUnits = 8192;

struct DirectoryEntry {
    std::string name; // 16 bytes as stored
    std::uint32_t firstUnit = 0;
    std::uint32_t units = 1; // the stored length, 0 read as 1
    std::uint16_t entryCount = 0;
};

struct CdHeader {
    std::array<std::string, kDescriptionLines> description; // trimmed
    std::array<DirectoryEntry, kDirectoryEntries> directory;
};

struct InstrumentGroup {
    std::string name;         // 16 bytes as stored (zero bytes read as blanks)
    std::string secondName;   // 16 bytes
    std::string text() const; // "name - second name", both trimmed
};

struct SoundRecord {
    std::string name;     // 32 bytes as stored (zero bytes read as blanks)
    std::string category; // 16 bytes
    std::uint32_t firstUnit = 0;
    std::uint32_t units = 0;
    std::uint8_t group = 0;
    std::string text() const; // "category - name", both trimmed, the whole trimmed
};

struct CdTables {
    CdHeader header;
    std::vector<InstrumentGroup> groups;
    std::vector<std::uint16_t> groupMap; // one per group
    std::vector<SoundRecord> sounds;     // the records of the loaded sound directory
    std::uint64_t discUnits = 0;
};

// Blanks, tabs and zero bytes off both ends (zero bytes inside become blanks).
std::string TrimText(std::string_view s);

// Fails with "This is not Roland CD !!!" (information) unless the first 16 bytes are
// the signature; `unit0` must hold at least 512 bytes.
Result<CdHeader> ParseHeader(std::span<const std::uint8_t> unit0);

std::vector<InstrumentGroup> ParseGroups(std::span<const std::uint8_t> table, std::size_t count);
std::vector<std::uint16_t> ParseGroupMap(std::span<const std::uint8_t> table, std::size_t count);
std::vector<SoundRecord> ParseSoundRecords(std::span<const std::uint8_t> table, std::size_t count);

// Reads the header and the three tables named in its directory. Refuses a disc whose
// tables are missing, lie outside the disc or hold fewer groups than the directory
// announces, with the damaged-tables text.
Result<CdTables> LoadTables(DiscSource& disc);

// The record indices listed for a group: from the index the group map gives, while the
// group number stays that of the first record, never past the loaded sound directory.
// A group map value outside the sound directory is refused.
Result<std::vector<std::size_t>> SoundsOfGroup(const CdTables& tables, std::size_t group);

// A sound area makes a disk image only with 18 to 1,746 units inside the disc.
Status CheckSoundArea(const SoundRecord& sound, std::uint64_t discUnits);

} // namespace veldin::cd
