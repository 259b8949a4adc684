#include "core/SamplePacking.h"

namespace veldin {

std::size_t PackSamples12(std::span<const std::uint16_t> words, std::span<std::uint8_t> bytes) {
    const std::size_t need = PackedSize(words.size());
    if (bytes.size() < need) return 0;
    for (std::size_t i = 0, o = 0; i < words.size(); i += 2, o += 3) {
        const std::uint16_t w0 = words[i];
        const std::uint16_t w1 = i + 1 < words.size() ? words[i + 1] : 0;
        bytes[o] = static_cast<std::uint8_t>(w0 >> 8);
        bytes[o + 1] = static_cast<std::uint8_t>((w0 & 0xF0) | ((w1 >> 4) & 0x0F));
        bytes[o + 2] = static_cast<std::uint8_t>(w1 >> 8);
    }
    return need;
}

std::size_t UnpackSamples12(std::span<const std::uint8_t> bytes, std::span<std::uint16_t> words) {
    const std::size_t need = UnpackedSize(bytes.size());
    if (words.size() < need) return 0;
    for (std::size_t i = 0, o = 0; i < bytes.size(); i += 3, o += 2) {
        const std::uint8_t b0 = bytes[i];
        const std::uint8_t b1 = i + 1 < bytes.size() ? bytes[i + 1] : 0;
        const std::uint8_t b2 = i + 2 < bytes.size() ? bytes[i + 2] : 0;
        words[o] = static_cast<std::uint16_t>(b0 << 8 | (b1 & 0xF0));
        words[o + 1] = static_cast<std::uint16_t>(b2 << 8 | (b1 & 0x0F) << 4);
    }
    return need;
}

} // namespace veldin
