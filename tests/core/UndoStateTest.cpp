#include <gtest/gtest.h>

#include <string>

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
    EXPECT_EQ(b[0], 7);
    EXPECT_EQ(b[4], 9);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[8])), "/home/u/VELDIN/VDNa1B2c3.tmp");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[268])), "/tmp/veldin.4f984842");
    EXPECT_EQ(b[528], 3);
    EXPECT_EQ(b[532], 5);
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

TEST(UndoState, PathsMustFitTheirFields) {
    UndoState s = Sample();
    s.tempDirectory = "/" + std::string(258, 'x'); // 259 bytes: the longest that fits
    EXPECT_TRUE(EncodeUndoState(s));
    s.tempDirectory = "/" + std::string(259, 'x');
    EXPECT_FALSE(EncodeUndoState(s));
    s = Sample();
    s.sessionPath = "/" + std::string(259, 'y');
    EXPECT_FALSE(EncodeUndoState(s));
}

TEST(UndoState, DecodeChecksSizeAndClosingZeros) {
    auto stored = *EncodeUndoState(Sample());
    std::vector<std::uint8_t> bytes(stored.begin(), stored.end());
    bytes.pop_back();
    EXPECT_FALSE(DecodeUndoState(bytes));
    bytes.push_back(0);
    bytes.push_back(0);
    EXPECT_FALSE(DecodeUndoState(bytes));

    auto unclosed = stored;
    std::fill(unclosed.begin() + 268, unclosed.begin() + 528, 'z');
    EXPECT_FALSE(DecodeUndoState(unclosed));
    auto unclosedSession = stored;
    std::fill(unclosedSession.begin() + 8, unclosedSession.begin() + 268, 'z');
    EXPECT_FALSE(DecodeUndoState(unclosedSession));
}

} // namespace
} // namespace veldin
