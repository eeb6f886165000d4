// The program-wide pseudo-random source: the same sequence on every run.
#include "platform/toolkit/random_source.h"

namespace toolkit {
namespace {

// Full period 2^24: the increment is odd and the multiplier is 1 modulo 4.
constexpr std::uint32_t multiplier = 1664525;
constexpr std::uint32_t increment = 1013904223;
constexpr std::uint32_t mask = (1U << 24) - 1;
constexpr float scale = 1.0F / (1U << 24);

}  // namespace

float RandomSource::next()
{
    state_ = (state_ * multiplier + increment) & mask;
    return static_cast<float>(state_) * scale;
}

RandomSource& programRandom()
{
    static RandomSource source;
    return source;
}

}  // namespace toolkit
