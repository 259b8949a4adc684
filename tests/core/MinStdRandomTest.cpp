#include <gtest/gtest.h>

#include <random>

#include "core/MinStdRandom.h"

namespace veldin {
namespace {

// std::minstd_rand0 is the same generator computed with 64-bit products: an independent
// reference for Schrage's method.
TEST(MinStdRandom, FollowsTheMinimalStandardGenerator) {
    MinStdRandom ours;
    std::minstd_rand0 reference(MinStdRandom::kModuleSeed);
    for (int i = 0; i < 100000; ++i) ASSERT_EQ(static_cast<std::uint32_t>(ours.next()), reference()) << "at " << i;
    // Around the states where Schrage's terms change sign.
    for (std::int32_t seed : {1, 127772, 127773, 2147483646}) {
        MinStdRandom r(seed);
        std::minstd_rand0 ref(static_cast<std::uint32_t>(seed));
        for (int i = 0; i < 1000; ++i) ASSERT_EQ(static_cast<std::uint32_t>(r.next()), ref()) << seed;
    }
}

} // namespace
} // namespace veldin
