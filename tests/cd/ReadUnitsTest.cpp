#include <gtest/gtest.h>

#include <numeric>

#include "cd/CdMessages.h"
#include "cd/ReadUnits.h"
#include "tests/cd/CdTestSupport.h"

namespace veldin::cd {
namespace {

// A disc of `units` units where every byte tells its own position.
std::vector<std::uint8_t> PatternDisc(std::size_t units) {
    std::vector<std::uint8_t> d(units * kUnitSize);
    for (std::size_t i = 0; i < d.size(); ++i)
        d[i] = static_cast<std::uint8_t>(i * 7 + i / 512);
    return d;
}

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& d, std::size_t unit, std::size_t count) {
    return {d.begin() + static_cast<std::ptrdiff_t>(unit * kUnitSize),
            d.begin() + static_cast<std::ptrdiff_t>((unit + count) * kUnitSize)};
}

TEST(BlocksForUnits, CoversTheUnits) {
    struct Case {
        std::uint32_t first, count;
        std::uint64_t block;
        std::uint32_t offset;
        std::uint64_t blocks;
    };
    for (auto c : {Case{0, 1, 0, 0, 1}, Case{1, 4, 0, 512, 2}, Case{3, 1, 0, 1536, 1}, Case{3, 2, 0, 1536, 2},
                   Case{4, 4, 1, 0, 1}, Case{5, 8, 1, 512, 3}, Case{7, 0, 1, 1536, 0},
                   Case{0xFFFFFFFF, 1, 0x3FFFFFFF, 1536, 1}}) {
        SCOPED_TRACE(testing::Message() << c.first << "+" << c.count);
        const BlockRun r = BlocksForUnits(c.first, c.count);
        EXPECT_EQ(r.firstBlock, c.block);
        EXPECT_EQ(r.offset, c.offset);
        EXPECT_EQ(r.blocks, c.blocks);
    }
}

TEST(ReadUnits, FourUnitsFromUnitOneReadBlocksZeroAndOne) {
    const auto bytes = PatternDisc(16);
    test::RecordingDisc disc(bytes);
    const auto r = ReadUnits(disc, 1, 4);
    ASSERT_TRUE(r.ok()) << r.failure().text;
    EXPECT_EQ(disc.blocksRead, (std::vector<std::uint64_t>{0, 1}));
    EXPECT_EQ(*r, Slice(bytes, 1, 4));

    disc.blocksRead.clear();
    const auto none = ReadUnits(disc, 3, 0); // a count of zero reads nothing
    ASSERT_TRUE(none.ok());
    EXPECT_TRUE(none->empty());
    EXPECT_TRUE(disc.blocksRead.empty());
}

TEST(ReadUnits, WholeEqualsPieces) {
    // Long reads cross the reader's chunks; every start within a block is tried.
    const auto bytes = PatternDisc(1000);
    MemoryDisc disc(bytes);
    for (std::uint32_t first : {0u, 1u, 2u, 3u, 130u}) {
        for (std::uint32_t count : {1u, 3u, 4u, 5u, 127u, 128u, 129u, 600u}) {
            SCOPED_TRACE(testing::Message() << first << "+" << count);
            const auto whole = ReadUnits(disc, first, count);
            ASSERT_TRUE(whole.ok());
            EXPECT_EQ(*whole, Slice(bytes, first, count));
        }
    }
}

TEST(ReadUnits, ProgressRunsToTheBlockCount) {
    const auto bytes = PatternDisc(1000);
    MemoryDisc disc(bytes);
    std::vector<std::uint64_t> seen;
    const auto r = ReadUnits(disc, 2, 500, [&](std::uint64_t done, std::uint64_t total) {
        EXPECT_EQ(total, 126u);
        seen.push_back(done);
    });
    ASSERT_TRUE(r.ok());
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 126u);
}

TEST(ReadUnits, AFailedBlockFailsTheRead) {
    test::RecordingDisc disc(PatternDisc(400));
    disc.failAt = 70;
    const auto r = ReadUnits(disc, 1, 300);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.failure().text, "Errorcode: 5\r\n\r\n");
    EXPECT_EQ(r.failure().icon, Icon::Error);

    // Reading past the end of the disc is a failed read too.
    const auto shortBytes = PatternDisc(8);
    MemoryDisc shortDisc(shortBytes);
    EXPECT_FALSE(ReadUnits(shortDisc, 6, 3).ok());
    EXPECT_TRUE(ReadUnits(shortDisc, 6, 2).ok());
}

} // namespace
} // namespace veldin::cd
