// The program-wide pseudo-random source: the same sequence on every run.
#pragma once

#include <cstdint>

namespace toolkit {

// A 24-bit linear congruential generator: each draw is a whole multiple of 2^-24, so it is
// exact in single precision and lies in [0, 1).
class RandomSource {
public:
    float next();

private:
    static constexpr std::uint32_t start = 0x2A5F13;
    std::uint32_t state_ = start;
};

// The one source every window draws from; it is never reseeded.
RandomSource& programRandom();

}  // namespace toolkit
