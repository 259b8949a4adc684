#pragma once
// Packed files ("veldin.ex_" for "veldin.exe"): an aPLib stream behind one of two headers.
//
//   short form, the one we publish:   0 "AP32"  4 unpacked size  8 stream
//   safe form, made by aPLib's packer: 0 "AP32"  4 header size (24)  8 packed size
//                                     12 CRC-32 of the stream  16 unpacked size
//                                     20 CRC-32 of the unpacked data  24 stream
//
// All numbers are 32-bit little-endian. The safe form is recognised by its header size
// of 24 together with a packed size that accounts for the rest of the file; both CRCs
// are then checked.

#include <cstdint>
#include <span>
#include <vector>

#include "core/Result.h"

namespace veldin::update {

enum class PackedForm { Short, Safe };

// Fails with "This file has not been compressed by aPPack" when the magic is missing and
// with the damaged-file text for a bad stream, wrong sizes or a CRC mismatch.
Result<std::vector<std::uint8_t>> UnpackFile(std::span<const std::uint8_t> file);

std::vector<std::uint8_t> PackFile(std::span<const std::uint8_t> data, PackedForm form = PackedForm::Short);

// The detected form and the unpacked size that the header states, without unpacking.
struct PackedHeader {
    PackedForm form;
    std::uint32_t unpackedSize;
    std::size_t streamOffset;
};
Result<PackedHeader> ReadPackedHeader(std::span<const std::uint8_t> file);

} // namespace veldin::update
