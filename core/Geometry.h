#pragma once
// Geometry of a 720 KB double-density sampler floppy and of its image file:
// 80 cylinders x 2 heads x 9 sectors of 512 bytes, no header of its own.
//
//   sectors    0-125  system area (64,512 bytes; W-30: song volume, second tone area)
//   sectors  126-133  patch area
//   sector       134  memo sector
//   sectors  135-142  tone area (32 records of 128 bytes)
//   sector       143  tone list (32 entries of 16 bytes)
//   sectors  144-791  wave bank A (18 segments of 0x4800 bytes)
//   sectors 792-1439  wave bank B

#include <cstdint>

namespace veldin {

inline constexpr int kSectorSize = 512;
inline constexpr int kSectorCount = 1440;
inline constexpr std::int64_t kImageSize = static_cast<std::int64_t>(kSectorSize) * kSectorCount; // 737,280
inline constexpr int kHeaderSize = 112;          // bytes of sector 0 kept with a document
inline constexpr int kSystemAreaSectors = 126;
inline constexpr int kSystemAreaSize = kSystemAreaSectors * kSectorSize; // 64,512: a template file
inline constexpr int kWaveBankA = 0x12000;
inline constexpr int kWaveBankB = 0x63000;
inline constexpr int kSegmentSize = 0x4800;      // 18,432 bytes = 12,288 packed samples
inline constexpr int kSegmentsPerBank = 18;
inline constexpr int kToneRecordSize = 128;
inline constexpr int kToneListEntrySize = 16;
inline constexpr int kPatchRecordSize = 256;

// Byte offset of a sector; 1440 gives the end of the image, anything outside 0..1440 gives -1.
constexpr std::int64_t SectorToOffset(std::int64_t sector) {
    if (sector < 0 || sector > kSectorCount) return -1;
    return sector * kSectorSize;
}

} // namespace veldin
