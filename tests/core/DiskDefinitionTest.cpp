#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "core/DiskDefinition.h"
#include "core/Geometry.h"

namespace veldin {
namespace {

std::vector<std::uint8_t> Header(std::string_view at4, std::array<std::uint8_t, 4> at12) {
    std::vector<std::uint8_t> h(kHeaderSize, 0);
    std::memcpy(h.data() + 4, at4.data(), 4);
    std::memcpy(h.data() + 12, at12.data(), 4);
    return h;
}

struct Row {
    std::string_view at4;
    std::array<std::uint8_t, 4> at12;
    std::string_view sampler, kind, ext;
    int memoSector;
    std::uint32_t patchCount, toneCount, toneCount2, songSlots, songAreaKb;
    int patchSector, toneSector, toneSector2;
};

// clang-format off
const Row kRows[] = {
    {"S330", {'5', 'C', 0, 8}, "S330", "Sound", ".s33", 134, 16, 32, 0, 0, 0, 126, 135, -1},
    {"S330", {'5', 'C', 0, 9}, "S330", "Utility", ".s33", 0, 0, 0, 0, 0, 0, -1, -1, -1},
    {"S-50", {'5', 'A', 0, 1}, "S50", "Sound", ".s50", 134, 8, 32, 0, 0, 0, 126, 135, -1},
    {"S550", {'5', 'B', 0, 4}, "S550", "Sound", ".s55", 134, 16, 32, 0, 0, 0, 126, 135, -1},
    {"W-30", {6, 0, 0, 1}, "W30", "Sound & Song", ".sdk", 134, 16, 32, 64, 64, 45, 126, 135, 108},
    {"W-30", {4, 0, 0, 2}, "W30", "Song", ".sng", 7, 0, 0, 0, 64, 711, -1, -1, -1},
    {"W-30", {1, 0, 0, 0}, "W30", "System", ".sys", 0, 32, 0, 64, 0, 0, 252, -1, 216},
};
// clang-format on

TEST(Classify, EveryRowOfTheTable) {
    for (const auto& r : kRows) {
        SCOPED_TRACE(std::string(r.sampler) + " " + std::string(r.kind));
        const DiskDefinition d = ClassifyImage(Header(r.at4, r.at12));
        EXPECT_FALSE(d.isFallback());
        EXPECT_EQ(std::tuple(d.samplerName, d.kindName, d.extension, d.family()),
                  std::tuple(r.sampler, r.kind, r.ext, r.at4));
        EXPECT_EQ(std::tuple(d.memoSector, d.patchSector, d.toneSector, d.toneSector2),
                  std::tuple(r.memoSector, r.patchSector, r.toneSector, r.toneSector2));
        EXPECT_EQ(std::tuple(d.patchCount, d.toneCount, d.toneCount2, d.songSlots, d.songAreaKb),
                  std::tuple(r.patchCount, r.toneCount, r.toneCount2, r.songSlots, r.songAreaKb));
    }
}

TEST(Classify, LookAlikesFallBack) {
    // "S3305C" written contiguously: the second half of the key sits at bytes 8-11.
    std::vector<std::uint8_t> contiguous(kHeaderSize, 0);
    std::memcpy(contiguous.data() + 4, "S3305C", 6);
    contiguous[11] = 8;
    EXPECT_TRUE(ClassifyImage(contiguous).isFallback());
    for (const auto& h :
         {Header("S330", {'5', 'C', 0, 7}), Header("s330", {'5', 'C', 0, 8}), Header("W-30", {6, 0, 0, 2}),
          Header("S-50", {'5', 'B', 0, 4}) /* S550's second half */, Header("\0\0\0\0", {0, 0, 0, 0})})
        EXPECT_TRUE(ClassifyImage(h).isFallback()) << std::string(h.begin() + 4, h.begin() + 8);
    // Sixteen bytes hold the key; fewer fall back.
    const auto h = Header("S550", {'5', 'B', 0, 4});
    EXPECT_EQ(ClassifyImage(std::span(h).first(16)).samplerName, "S550");
    EXPECT_TRUE(ClassifyImage(std::span(h).first(15)).isFallback());
    EXPECT_TRUE(ClassifyImage({}).isFallback());
}

TEST(Classify, OnlyBytes4To7And12To15Count) {
    auto h = Header("S550", {'5', 'B', 0, 4});
    for (std::size_t i : {0u, 1u, 2u, 3u, 8u, 9u, 10u, 11u, 16u, 111u}) h[i] = 0xA5;
    EXPECT_EQ(ClassifyImage(h).samplerName, "S550");
}

TEST(Geometry, SectorToOffsetEdges) {
    for (const auto& [sector, offset] :
         {std::pair{0, 0}, {134, 0x10C00}, {1439, 737280 - 512}, {1440, 737280}, {1441, -1}, {-1, -1}})
        EXPECT_EQ(SectorToOffset(sector), offset) << sector;
}

} // namespace
} // namespace veldin
