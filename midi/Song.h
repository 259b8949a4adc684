#pragma once
// The W-30 song: 512-byte sectors, each opened by an 8-byte sector header
//
//   0     Song ID (set when stored on a volume)
//   1     block type: 80h header, 18h measure, 10h tempo, 00h-0Fh track 1-16
//   2-3   ticks covered by the previous sector of the block (LE, written, never read)
//   4-7   slot count, big-endian: 84 in a full sector, the slots used in a block's last
//
// then 84 event slots of 6 bytes (track, tempo) or 168 measure entries of 3 bytes.
// Time runs at 96 ticks per quarter note.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace veldin::midi {

inline constexpr std::size_t kSongSector = 512;
inline constexpr std::size_t kSectorHeader = 8;
inline constexpr int kSlotsPerSector = 84;
inline constexpr int kMeasuresPerSector = 168;
inline constexpr int kTicksPerQuarter = 96;
inline constexpr std::size_t kMinSongSize = 2048;

inline constexpr std::uint8_t kBlockHeader = 0x80;
inline constexpr std::uint8_t kBlockMeasure = 0x18;
inline constexpr std::uint8_t kBlockTempo = 0x10;

// Slot status bytes that are not MIDI channel messages.
inline constexpr std::uint8_t kSlotSysex = 0xF0;
inline constexpr std::uint8_t kSlotIgnored = 0xF6;
inline constexpr std::uint8_t kSlotTempo = 0xF9;
inline constexpr std::uint8_t kSlotWait = 0xFE;
inline constexpr std::uint8_t kSlotFiller = 0xFF;

// Header sector offsets.
inline constexpr std::size_t kHdrName = 8;       // 28 bytes, blank padded
inline constexpr std::size_t kHdrSectors = 36;   // LE 32
inline constexpr std::size_t kHdrTempo = 40;     // LE 16, BPM
inline constexpr std::size_t kHdrMeasures = 43;  // BE 16
inline constexpr std::size_t kHdrConstant = 46;  // 09 25 7F 09 25 40 36
inline constexpr std::size_t kHdrTimeSig = 53;   // beat ticks, measure ticks LE 16
inline constexpr std::size_t kHdrTrackNames = 72; // 16 x 8
inline constexpr std::size_t kHdrPatches = 311;  // tracks 1-8
inline constexpr std::size_t kHdrVolumes = 319;  // tracks 1-16

// Byte 1 is 80h, bytes 4-7 are 00 00 00 54 and there are at least 2048 bytes.
bool is_song(std::span<const std::uint8_t> bytes);

std::uint32_t SlotCount(std::span<const std::uint8_t> sector); // bytes 4-7, big-endian

struct TimeSignature {
    std::uint8_t beatTicks = 96;
    std::uint16_t measureTicks = 384;
    friend bool operator==(const TimeSignature&, const TimeSignature&) = default;
};

struct SongHeader {
    std::string name; // trimmed of blanks and tabs
    std::uint32_t sectors = 0;
    std::uint16_t tempo = 0;
    std::uint16_t measures = 0;
    TimeSignature timeSignature;
    std::array<std::string, 16> trackNames; // 8 characters each, untrimmed
    std::array<std::uint8_t, 8> patches{};
    std::array<std::uint8_t, 16> volumes{};
};

// The caller has checked is_song.
SongHeader read_song_header(std::span<const std::uint8_t> song);

std::string TrimBlanks(std::string s);

// Walks the blocks from sector 0: `visit(type, firstSector)` returns the sectors its
// block used (at least one is always taken), until `sectors` are used up.
void ForEachBlock(std::span<const std::uint8_t> song, std::uint32_t sectors,
                  const std::function<std::uint32_t(std::uint8_t type, std::uint32_t sector)>& visit);

} // namespace veldin::midi
