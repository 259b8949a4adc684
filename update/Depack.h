#pragma once
// The aPLib decompressor. The stream is a first byte taken as it is, followed by codes
// read from tag bytes (most significant bit first) interleaved with plain bytes:
//
//   0                literal: the next stream byte
//   10 g ...         g = 2 right after a literal or a one-byte code: copy gamma(len)
//                    bytes from the last offset; otherwise the offset's high part is
//                    g - 3 (after a literal) or g - 2 (right after a match), its low
//                    byte follows, then gamma(len), lengthened by 2 for offsets below
//                    128 and by 1 each from 1280 and from 32000 on
//   110 b            offset b >> 1 (0 ends the stream), length 2 + (b & 1)
//   111 oooo         one byte from o positions back, or a zero byte for o = 0
//
// gamma: v = 1; repeat { v = 2v + bit } while the next bit is 1.
//
// The decompressor never reads past its input and never writes past `size`: a stream
// that would, that copies from before the start of the output, or that ends before
// `size` bytes were made fails with the damaged-file text.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/Result.h"

namespace veldin::update {

Result<std::vector<std::uint8_t>> DepackAplib(std::span<const std::uint8_t> stream, std::size_t size);

} // namespace veldin::update
