#pragma once
// Raw 2,352-byte CD sectors in Mode 1, as READ CD returns them with sync, headers, user
// data and EDC/ECC, and as raw disc images (".bin", ".img") store them:
//
//   0-11       sync: 00h, ten FFh, 00h
//   12-14      address as minutes, seconds, frames in BCD (block + 150 frames)
//   15         mode (1)
//   16-2063    user data (2,048 bytes)
//   2064-2067  EDC over bytes 0-2063, little-endian
//   2068-2075  zero
//   2076-2247  P parity (86 codewords of 24 + 2 bytes)
//   2248-2351  Q parity (52 codewords of 43 + 2 bytes)

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace veldin::cd {

inline constexpr std::size_t kRawSectorSize = 2352;
inline constexpr std::size_t kUserDataOffset = 16;
inline constexpr std::size_t kSyncSize = 12;
inline constexpr std::size_t kEdcOffset = 2064;
inline constexpr std::size_t kPParityOffset = 2076;
inline constexpr std::size_t kQParityOffset = 2248;

// True when `bytes` begins with the 12-byte sync pattern.
bool StartsWithSync(std::span<const std::uint8_t> bytes);
// A Mode 1 sector: sync and mode byte 1.
bool IsMode1Sector(std::span<const std::uint8_t, kRawSectorSize> sector);

// The CD's EDC: a CRC-32 with the polynomial x^32 + x^31 + x^16 + x^15 + x^4 + x^3 + x + 1,
// bits taken least significant first, starting from 0.
std::uint32_t ComputeEdc(std::span<const std::uint8_t> bytes);

// Encodes one Mode 1 sector of `block` holding `userData` (2,048 bytes).
std::array<std::uint8_t, kRawSectorSize> EncodeMode1Sector(std::uint32_t block, std::span<const std::uint8_t> userData);

// A raw image of a 2,048-byte-sector image (a last partial block padded with zeros).
std::vector<std::uint8_t> ToRawImage(std::span<const std::uint8_t> iso);

} // namespace veldin::cd
