#include <gtest/gtest.h>

#include <vector>

#include "core/Bytes.h"
#include "core/Names.h"
#include "core/SamplePacking.h"

namespace veldin {
namespace {

TEST(SamplePacking, KnownPairLosesTheLowFourBits) {
    const std::uint16_t words[] = {0x123F, 0xABCF};
    std::uint8_t bytes[3] = {};
    ASSERT_EQ(PackSamples12(words, bytes), 3u);
    EXPECT_EQ(std::tuple(bytes[0], bytes[1], bytes[2]), std::tuple(0x12, 0x3C, 0xAB));
    std::uint16_t back[2] = {};
    ASSERT_EQ(UnpackSamples12(bytes, back), 2u);
    EXPECT_EQ(std::tuple(back[0], back[1]), std::tuple(0x1230, 0xABC0));
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
    EXPECT_EQ(std::tuple(bytes[3], bytes[4], bytes[5]), std::tuple(0x78, 0x90, 0x00)); // zero partner

    const std::uint8_t four[] = {0x12, 0x3C, 0xAB, 0x45};
    std::uint16_t words[4] = {};
    ASSERT_EQ(UnpackSamples12(four, words), 4u);
    EXPECT_EQ(std::tuple(words[2], words[3]), std::tuple(0x4500, 0x0000));
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
    EXPECT_EQ(std::tuple(b[0], b[1], b[2], ReadBe24(b)), std::tuple(0x12, 0x34, 0x56, 0x123456u));
    WriteBe24(0xFF000001, b); // only the low 24 bits are stored
    EXPECT_EQ(ReadBe24(b), 0x000001u);
    std::uint8_t le[4];
    WriteLe32(0xA1B2C3D4, le);
    EXPECT_EQ(std::tuple(le[0], le[3], ReadLe32(le)), std::tuple(0xD4, 0xA1, 0xA1B2C3D4u));
}

TEST(NoteName, OctavesSharpsAndEdges) {
    const char* letters[12] = {"C-", "C#", "D-", "D#", "E-", "F-", "F#", "G-", "G#", "A-", "A#", "B-"};
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(NoteName(48 + k), std::string(letters[k]) + "3");
    // -1 is never read outside the letter table.
    for (const auto& [key, name] : {std::pair{0, "C--1"}, {11, "B--1"}, {12, "C-0"}, {128, "G#9"}, {-1, "B--2"}})
        EXPECT_EQ(NoteName(key), name) << key;
}

TEST(ValueNames, OutOfRangeGivesEmptyText) {
    for (const std::string_view name :
         {LoopModeName(4), KeyModeName(5), ParameterValueName(16), ParameterValueName(-1)})
        EXPECT_EQ(name, "");
}

} // namespace
} // namespace veldin
