#pragma once
// CRC-32 as zlib and the aPLib safe header compute it (reflected polynomial EDB88320h,
// initial value and final xor FFFFFFFFh).

#include <cstdint>
#include <span>

namespace veldin::update {

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

} // namespace veldin::update
