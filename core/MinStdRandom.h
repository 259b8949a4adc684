#pragma once
// The minimal standard multiplicative congruential generator, state = state * 16807
// mod (2^31 - 1), computed by Schrage's method so that no product leaves 32 bits:
// with q = m / a = 127,773 and r = m % a = 2,836,
//     state = a * (state % q) - r * (state / q),  plus m when that is negative.
// It names the undo store's temporary directories; the module's generator starts from
// 12,345,678 when the module loads and is never reseeded, so the first directory name
// of every run is the same.

#include <cstdint>

namespace veldin {

class MinStdRandom {
public:
    static constexpr std::int32_t kModulus = 2147483647; // 2^31 - 1
    static constexpr std::int32_t kMultiplier = 16807;
    static constexpr std::int32_t kQuotient = 127773;
    static constexpr std::int32_t kRemainder = 2836;
    static constexpr std::int32_t kModuleSeed = 12345678;

    explicit constexpr MinStdRandom(std::int32_t seed = kModuleSeed) : state_(seed) {}

    // Advances the generator; the new state is the number used.
    constexpr std::int32_t next() {
        const std::int32_t hi = state_ / kQuotient;
        const std::int32_t lo = state_ % kQuotient;
        std::int32_t t = kMultiplier * lo - kRemainder * hi;
        if (t < 0) t += kModulus; // a state with the top bit set
        state_ = t;
        return state_;
    }

    constexpr std::int32_t state() const { return state_; }

private:
    std::int32_t state_;
};

// The module-wide generator, seeded once at load.
MinStdRandom& ModuleRandom();

} // namespace veldin
