#pragma once
// Our own compressor for the aPLib format, so that updates can be published. Its output
// is decoded by DepackAplib, and also by a decoder that knows no "right after a match"
// rule: a "10" copy is only ever coded after a literal or a one-byte code, where both
// readings of the code agree.

#include <cstdint>
#include <span>
#include <vector>

namespace veldin::update {

std::vector<std::uint8_t> PackAplib(std::span<const std::uint8_t> data);

} // namespace veldin::update
