#include <gtest/gtest.h>

#include "cd/DiscSource.h"
#include "cd/RawSector.h"
#include "cd/SyntheticDisc.h"

namespace veldin::cd {
namespace {

using Bytes = std::vector<std::uint8_t>;

// GF(2^8) product by shifting and adding, independent of the encoder's tables.
std::uint8_t GfMul(std::uint8_t a, std::uint8_t b) {
    unsigned r = 0, x = a;
    for (; b; b >>= 1, x <<= 1) {
        if (x & 0x100) x ^= 0x11D;
        if (b & 1) r ^= x;
    }
    return static_cast<std::uint8_t>(r);
}
std::uint8_t AlphaPow(unsigned n) {
    std::uint8_t v = 1;
    while (n--)
        v = GfMul(v, 2);
    return v;
}

// Both syndromes of a codeword: sum c_i and sum alpha^(n-1-i) c_i.
bool CodewordHolds(const std::vector<std::uint8_t>& c) {
    std::uint8_t s0 = 0, s1 = 0;
    for (std::size_t i = 0; i < c.size(); ++i) {
        s0 ^= c[i];
        s1 ^= GfMul(c[i], AlphaPow(static_cast<unsigned>(c.size() - 1 - i)));
    }
    return s0 == 0 && s1 == 0;
}

// The P codewords are the 86 columns of the 2,064 bytes from the header on (24 rows)
// and their two parity rows; the Q codewords the 52 diagonals of those 26 rows.
int BrokenCodewords(const std::array<std::uint8_t, kRawSectorSize>& s) {
    const std::uint8_t* a = s.data() + 12;
    int broken = 0;
    for (std::size_t col = 0; col < 86; ++col) {
        std::vector<std::uint8_t> c;
        for (std::size_t row = 0; row < 26; ++row)
            c.push_back(a[row * 86 + col]);
        broken += !CodewordHolds(c);
    }
    for (std::size_t d = 0; d < 52; ++d) {
        std::vector<std::uint8_t> c;
        for (std::size_t k = 0; k < 43; ++k)
            c.push_back(a[((d / 2) * 86 + d % 2 + 88 * k) % 2236]);
        c.push_back(a[2236 + d]);
        c.push_back(a[2236 + 52 + d]);
        broken += !CodewordHolds(c);
    }
    return broken;
}

Bytes UserData(std::uint8_t seed) {
    Bytes d(kBlockSize);
    for (std::size_t i = 0; i < d.size(); ++i)
        d[i] = static_cast<std::uint8_t>(seed + i * 31 + (i >> 7));
    return d;
}

TEST(RawSector, LayoutOfAModeOneSector) {
    const Bytes user = UserData(3);
    // The header's address: minutes, seconds and frames in BCD, 150 frames on from the block.
    const struct {
        std::uint32_t block;
        Bytes header;
    } cases[] = {
        {4500, {0x01, 0x02, 0x00, 0x01}},    // 4,650 frames: 01:02:00
        {0, {0x00, 0x02, 0x00, 0x01}},       // 150 frames: 00:02:00
        {329'849, {0x73, 0x19, 0x74, 0x01}}, // 329,999 frames: 73:19:74
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block);
        const auto s = EncodeMode1Sector(c.block, user);
        EXPECT_TRUE(IsMode1Sector(s));
        EXPECT_TRUE(StartsWithSync(s));
        EXPECT_EQ(Bytes(s.begin() + 12, s.begin() + 16), c.header);
        EXPECT_TRUE(std::equal(user.begin(), user.end(), s.begin() + kUserDataOffset));
        EXPECT_TRUE(std::all_of(s.begin() + 2068, s.begin() + 2076, [](std::uint8_t b) { return b == 0; }));
    }
    Bytes sync{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    EXPECT_TRUE(StartsWithSync(sync));
    EXPECT_FALSE(StartsWithSync(std::span(sync).first(11)));
    sync[5] = 0xFE;
    EXPECT_FALSE(StartsWithSync(sync));
}

TEST(RawSector, EdcChecksTheSector) {
    // A CRC appended least significant byte first makes the CRC of the whole zero.
    for (std::uint8_t seed : {0, 77}) {
        const auto s = EncodeMode1Sector(seed, UserData(seed));
        EXPECT_EQ(ComputeEdc(std::span(s).first(kEdcOffset + 4)), 0u);
        auto bad = s;
        bad[100] ^= 0x10;
        EXPECT_NE(ComputeEdc(std::span(bad).first(kEdcOffset + 4)), 0u);
    }
    EXPECT_EQ(ComputeEdc({}), 0u);
}

TEST(RawSector, EccCodewordsHold) {
    for (std::uint8_t seed : {0, 200}) {
        const auto s = EncodeMode1Sector(1000u + seed, UserData(seed));
        EXPECT_EQ(BrokenCodewords(s), 0);
        auto bad = s;
        bad[16 + 1000] ^= 0x01; // one byte lies in one P and one Q codeword
        EXPECT_EQ(BrokenCodewords(bad), 2);
    }
}

TEST(RawSector, RawImageCarriesTheUserDataOfEveryBlock) {
    const Bytes iso = BuildSyntheticDisc(DiscSize::Small).iso;
    const Bytes raw = ToRawImage(iso);
    ASSERT_EQ(raw.size(), iso.size() / kBlockSize * kRawSectorSize);
    for (std::size_t b = 0; b < iso.size() / kBlockSize; ++b) {
        const auto sector = std::span(raw).subspan(b * kRawSectorSize, kRawSectorSize);
        EXPECT_TRUE(StartsWithSync(sector));
        EXPECT_TRUE(std::equal(sector.begin() + kUserDataOffset, sector.begin() + kUserDataOffset + kBlockSize,
                               iso.begin() + static_cast<std::ptrdiff_t>(b * kBlockSize)));
    }
    // A partial last block is padded.
    EXPECT_EQ(ToRawImage(std::span(iso).first(kBlockSize + 1)).size(), 2 * kRawSectorSize);
}

} // namespace
} // namespace veldin::cd
