#include <gtest/gtest.h>

#include "core/Names.h"

namespace veldin {
namespace {

TEST(NoteName, Edges) {
    EXPECT_EQ(NoteName(0), "C--1");
    EXPECT_EQ(NoteName(1), "C#-1");
    EXPECT_EQ(NoteName(11), "B--1");
    EXPECT_EQ(NoteName(12), "C-0");
    EXPECT_EQ(NoteName(60), "C-4");
    EXPECT_EQ(NoteName(61), "C#4");
    EXPECT_EQ(NoteName(69), "A-4");
    EXPECT_EQ(NoteName(70), "A#4");
    EXPECT_EQ(NoteName(127), "G-9");
    EXPECT_EQ(NoteName(128), "G#9");
    EXPECT_EQ(NoteName(-1), "B--2"); // never read outside the letter table
}

TEST(NoteName, SharpsAreTheLetterBefore) {
    const char* expected[12] = {"C-", "C#", "D-", "D#", "E-", "F-", "F#", "G-", "G#", "A-", "A#", "B-"};
    for (int k = 0; k < 12; ++k) EXPECT_EQ(NoteName(48 + k), std::string(expected[k]) + "3");
}

TEST(ValueNames, ListsAndLookups) {
    ASSERT_EQ(ParameterValueNames().size(), 16u);
    EXPECT_EQ(LoopModeName(0), "Fordward");
    EXPECT_EQ(LoopModeName(2), "One-Shot");
    EXPECT_EQ(LoopModeName(3), "Reverse");
    EXPECT_EQ(LoopModeName(4), "");
    EXPECT_EQ(KeyModeName(0), "Norm");
    EXPECT_EQ(KeyModeName(4), "Fade");
    EXPECT_EQ(KeyModeName(5), "");
    EXPECT_EQ(KeyAssignName(1), "Fix");
    EXPECT_EQ(ParameterValueName(15), "C-0");
    EXPECT_EQ(ParameterValueName(16), "");
    EXPECT_EQ(ParameterValueName(-1), "");
    ASSERT_EQ(ShapeNames().size(), 8u);
    EXPECT_EQ(ShapeNames()[1], "P.H");
    EXPECT_EQ(ShapeNames()[7], "Curve 5");
}

} // namespace
} // namespace veldin
