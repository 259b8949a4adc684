#include <gtest/gtest.h>

#include "core/Names.h"

namespace veldin {
namespace {

TEST(NoteName, OctavesSharpsAndEdges) {
    const char* letters[12] = {"C-", "C#", "D-", "D#", "E-", "F-", "F#", "G-", "G#", "A-", "A#", "B-"};
    for (int k = 0; k < 12; ++k) EXPECT_EQ(NoteName(48 + k), std::string(letters[k]) + "3");
    EXPECT_EQ(NoteName(0), "C--1");
    EXPECT_EQ(NoteName(11), "B--1");
    EXPECT_EQ(NoteName(12), "C-0");
    EXPECT_EQ(NoteName(128), "G#9");
    EXPECT_EQ(NoteName(-1), "B--2"); // never read outside the letter table
}

TEST(ValueNames, OutOfRangeGivesEmptyText) {
    EXPECT_EQ(LoopModeName(4), "");
    EXPECT_EQ(KeyModeName(5), "");
    EXPECT_EQ(ParameterValueName(16), "");
    EXPECT_EQ(ParameterValueName(-1), "");
}

} // namespace
} // namespace veldin
