#pragma once
// Wave memory keeps 12-bit samples, two in three bytes. In memory a sample is a 16-bit
// word whose low four bits are zero. For a pair w0, w1:
//   byte 0 = w0 bits 15-8
//   byte 1 = w0 bits 7-4 (high nibble) | w1 bits 7-4 (low nibble)
//   byte 2 = w1 bits 15-8

#include <cstddef>
#include <cstdint>
#include <span>

namespace veldin {

// Bytes needed to pack `words` samples (a last odd sample is packed with a zero partner).
constexpr std::size_t PackedSize(std::size_t words) { return (words + 1) / 2 * 3; }
// Words produced by unpacking `bytes` (a last partial group is unpacked whole).
constexpr std::size_t UnpackedSize(std::size_t bytes) { return (bytes + 2) / 3 * 2; }

// Both return the number of bytes / words written, or 0 (writing nothing) when the
// destination has no room for every whole group.
std::size_t PackSamples12(std::span<const std::uint16_t> words, std::span<std::uint8_t> bytes);
std::size_t UnpackSamples12(std::span<const std::uint8_t> bytes, std::span<std::uint16_t> words);

} // namespace veldin
