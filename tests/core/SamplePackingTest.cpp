#include <gtest/gtest.h>

#include <vector>

#include "core/Bytes.h"
#include "core/SamplePacking.h"

namespace veldin {
namespace {

TEST(SamplePacking, KnownPairLosesTheLowFourBits) {
    const std::uint16_t words[] = {0x123F, 0xABCF};
    std::uint8_t bytes[3] = {};
    ASSERT_EQ(PackSamples12(words, bytes), 3u);
    EXPECT_EQ(bytes[0], 0x12);
    EXPECT_EQ(bytes[1], 0x3C);
    EXPECT_EQ(bytes[2], 0xAB);
    std::uint16_t back[2] = {};
    ASSERT_EQ(UnpackSamples12(bytes, back), 2u);
    EXPECT_EQ(back[0], 0x1230);
    EXPECT_EQ(back[1], 0xABC0);
}

TEST(SamplePacking, EveryTwelveBitValueRoundTripsInBothSlots) {
    std::vector<std::uint16_t> words(8192);
    for (std::uint32_t v = 0; v < 4096; ++v) {
        words[2 * v] = static_cast<std::uint16_t>(v << 4);
        words[2 * v + 1] = static_cast<std::uint16_t>((4095 - v) << 4);
    }
    std::vector<std::uint8_t> bytes(PackedSize(words.size()));
    ASSERT_EQ(PackSamples12(words, bytes), 12288u);
    std::vector<std::uint16_t> back(UnpackedSize(bytes.size()));
    ASSERT_EQ(UnpackSamples12(bytes, back), words.size());
    EXPECT_EQ(back, words);
}

TEST(SamplePacking, PartialGroupsAreConvertedWhole) {
    const std::uint16_t odd[] = {0x1230, 0x4560, 0x7890};
    std::uint8_t bytes[6];
    std::fill(std::begin(bytes), std::end(bytes), 0xEE);
    ASSERT_EQ(PackSamples12(odd, bytes), 6u);
    EXPECT_EQ(bytes[3], 0x78);
    EXPECT_EQ(bytes[4], 0x90); // zero partner
    EXPECT_EQ(bytes[5], 0x00);

    const std::uint8_t four[] = {0x12, 0x3C, 0xAB, 0x45};
    std::uint16_t words[4] = {};
    ASSERT_EQ(UnpackSamples12(four, words), 4u);
    EXPECT_EQ(words[2], 0x4500);
    EXPECT_EQ(words[3], 0x0000);
}

TEST(SamplePacking, TooSmallDestinationWritesNothing) {
    const std::uint16_t words[] = {0x1230, 0xABC0, 0x1110};
    std::uint8_t bytes[5] = {9, 9, 9, 9, 9};
    EXPECT_EQ(PackSamples12(words, bytes), 0u);
    for (auto b : bytes) EXPECT_EQ(b, 9);
    const std::uint8_t in[4] = {1, 2, 3, 4};
    std::uint16_t out[3] = {7, 7, 7};
    EXPECT_EQ(UnpackSamples12(in, out), 0u);
    for (auto w : out) EXPECT_EQ(w, 7);
}

TEST(Bytes, Be24AndLe32) {
    std::uint8_t b[3];
    WriteBe24(0x123456, b);
    EXPECT_EQ(b[0], 0x12);
    EXPECT_EQ(b[1], 0x34);
    EXPECT_EQ(b[2], 0x56);
    EXPECT_EQ(ReadBe24(b), 0x123456u);
    WriteBe24(0xFF000001, b); // only the low 24 bits are stored
    EXPECT_EQ(ReadBe24(b), 0x000001u);
    std::uint8_t le[4];
    WriteLe32(0xA1B2C3D4, le);
    EXPECT_EQ(le[0], 0xD4);
    EXPECT_EQ(ReadLe32(le), 0xA1B2C3D4u);
}

} // namespace
} // namespace veldin
