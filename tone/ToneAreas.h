#pragma once
// The tone areas of an image as the Tone Editor holds them: a copy of each area
// (records followed by their tone list entries), re-read as a whole after every change,
// and the memory figures of a wave bank.
//
// An area of N entries starting at sector S:
//   S*512 + k*128          record k (128 bytes)
//   S*512 + N*128 + k*16   tone list entry k: a copy of bytes 0-15 of record k

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tone/ToneDocument.h"
#include "tone/ToneRecord.h"

namespace veldin::tone {

struct AreaCopy {
    Area area = Area::Ram;
    std::uint32_t imageOffset = 0;
    int count = 0;
    std::vector<std::uint8_t> bytes; // count * 144

    ToneRecord record(int position) const;
    // Bytes 0-15 of the list entry, as a record whose other bytes are zero.
    ToneRecord listEntry(int position) const;
    // A copy of the area bytes with `r` written at `position` and into its list entry.
    void put(std::vector<std::uint8_t>& area, int position, const ToneRecord& r) const;
};

class ToneAreas {
public:
    // Reads the tone area (when the disk has sounds) and the second tone area (W-30
    // disks). An area that cannot be read is absent.
    static ToneAreas Read(const ToneDocument& doc);

    const AreaCopy* ram() const { return ram_ ? &*ram_ : nullptr; }
    const AreaCopy* rom() const { return rom_ ? &*rom_ : nullptr; }
    const AreaCopy* get(Area a) const { return a == Area::Ram ? ram() : rom(); }
    // The record a ToneRef names, if its area exists and holds that position.
    std::optional<ToneRecord> find(ToneRef ref) const;

private:
    std::optional<AreaCopy> ram_;
    std::optional<AreaCopy> rom_;
};

// Where bank `bank` (waveBank 0-3) keeps its segment s: bank A at 0x12000, every other
// bank value at 0x63000.
std::uint32_t WaveOffset(int bank, int segment);

struct BankMemory {
    int bank = -1;
    int freeSegments = 0;
    int freePositions = 0;
    int firstFreePosition = -1;
    int nextFreeSegment = 0;
};

// Counts from the tone list entries of the bank's area; banks 2 and 3 never have free
// segments. An absent area has nothing free.
BankMemory ComputeBankMemory(const ToneAreas& areas, int bank);

// "%d positions & %d bytes free" (free segments x 24,576 bytes of 16-bit samples).
std::string MemoryText(const BankMemory& m);

} // namespace veldin::tone
