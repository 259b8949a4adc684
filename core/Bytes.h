#pragma once
// Small fixed-width readers and writers. The system's own tables are little-endian;
// sampler data keeps the sampler's byte order (3-byte big-endian addresses in tone
// records). Callers pass spans so that every access is bounds-checked at the call site.

#include <cstddef>
#include <cstdint>
#include <span>

namespace veldin {

inline std::uint16_t ReadLe16(std::span<const std::uint8_t> b) {
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}
inline std::uint32_t ReadLe32(std::span<const std::uint8_t> b) {
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}
inline void WriteLe16(std::uint16_t v, std::span<std::uint8_t> b) {
    b[0] = static_cast<std::uint8_t>(v);
    b[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void WriteLe32(std::uint32_t v, std::span<std::uint8_t> b) {
    for (int i = 0; i < 4; ++i) b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// 24-bit big-endian: value = b0 * 65536 + b1 * 256 + b2.
inline std::uint32_t ReadBe24(std::span<const std::uint8_t> b) {
    return (static_cast<std::uint32_t>(b[0]) << 16) | (static_cast<std::uint32_t>(b[1]) << 8) | b[2];
}
inline void WriteBe24(std::uint32_t v, std::span<std::uint8_t> b) {
    b[0] = static_cast<std::uint8_t>((v >> 16) & 0xFF);
    b[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    b[2] = static_cast<std::uint8_t>(v & 0xFF);
}

} // namespace veldin
