#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/MinStdRandom.h"
#include "core/UndoState.h"

namespace veldin {
namespace {

UndoState Sample() {
    return UndoState{7, 9, "/home/u/VELDIN/VDNa1B2c3.tmp", "/tmp/veldin.4f984842", 3, 5};
}

TEST(UndoState, StoredLayoutIsFixedAndRoundTrips) {
    const auto stored = EncodeUndoState(Sample());
    ASSERT_TRUE(stored);
    const auto& b = *stored;
    ASSERT_EQ(b.size(), 536u);
    EXPECT_EQ(std::tuple(b[0], b[4], b[528], b[532]), std::tuple(7, 9, 3, 5));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[8])), "/home/u/VELDIN/VDNa1B2c3.tmp");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[268])), "/tmp/veldin.4f984842");
    // Zero padding after each path.
    for (std::size_t i = 8 + 28; i < 268; ++i) ASSERT_EQ(b[i], 0) << i;

    const auto negative = EncodeUndoState(UndoState{-1, -1, "a", "b", 0x01020304, 0xA0B0C0D0});
    ASSERT_TRUE(negative);
    EXPECT_EQ((std::vector<std::uint8_t>(negative->begin(), negative->begin() + 8)),
              (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ((std::vector<std::uint8_t>(negative->begin() + 528, negative->end())),
              (std::vector<std::uint8_t>{4, 3, 2, 1, 0xD0, 0xC0, 0xB0, 0xA0}));

    const auto back = DecodeUndoState(*stored);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, Sample());
}

TEST(UndoState, PathsMustFitTheirFieldsAndBeClosed) {
    UndoState s = Sample();
    s.tempDirectory = "/" + std::string(258, 'x'); // 259 bytes: the longest that fits
    EXPECT_TRUE(EncodeUndoState(s));
    s.tempDirectory = "/" + std::string(259, 'x');
    EXPECT_FALSE(EncodeUndoState(s));
    s = Sample();
    s.sessionPath = "/" + std::string(259, 'y');
    EXPECT_FALSE(EncodeUndoState(s));

    // Decoding checks the size and the closing zeros.
    const auto stored = *EncodeUndoState(Sample());
    std::vector<std::uint8_t> bytes(stored.begin(), stored.end() - 1);
    EXPECT_FALSE(DecodeUndoState(bytes));
    bytes.insert(bytes.end(), {0, 0});
    EXPECT_FALSE(DecodeUndoState(bytes));
    for (std::size_t field : {8u, 268u}) { // session path, then folder, without a closing zero
        auto unclosed = stored;
        std::fill(unclosed.begin() + static_cast<long>(field), unclosed.begin() + static_cast<long>(field) + 260, 'z');
        EXPECT_FALSE(DecodeUndoState(unclosed)) << field;
    }
}

// std::minstd_rand0 is the same generator computed with 64-bit products: an independent
// reference for Schrage's method.
TEST(MinStdRandom, FollowsTheMinimalStandardGenerator) {
    MinStdRandom ours;
    std::minstd_rand0 reference(MinStdRandom::kModuleSeed);
    for (int i = 0; i < 100000; ++i)
        ASSERT_EQ(static_cast<std::uint32_t>(ours.next()), reference()) << "at " << i;
    // Around the states where Schrage's terms change sign.
    for (std::int32_t seed : {1, 127772, 127773, 2147483646}) {
        MinStdRandom r(seed);
        std::minstd_rand0 ref(static_cast<std::uint32_t>(seed));
        for (int i = 0; i < 1000; ++i)
            ASSERT_EQ(static_cast<std::uint32_t>(r.next()), ref()) << seed;
    }
}

} // namespace
} // namespace veldin
