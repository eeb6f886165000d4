// The busy-wait counts exactly (d + 1) x 500001 passes.
#include <gtest/gtest.h>

#include "midi/delay.h"

namespace {

std::uint64_t passesOf(double d)
{
    const std::uint64_t before = midi::delayPasses;
    midi::delay(d);
    return midi::delayPasses - before;
}

TEST(Delay, CountsOuterPassesOfHalfAMillionAndOne)
{
    EXPECT_EQ(passesOf(0), 500001U);
    EXPECT_EQ(passesOf(2), 3U * 500001U);
    EXPECT_EQ(passesOf(2.5), 3U * 500001U) << "2.5 rounds to 2";
    EXPECT_EQ(passesOf(3.5), 5U * 500001U) << "3.5 rounds to 4";
}

TEST(Delay, ReturnsAtOnceBelowZero)
{
    EXPECT_EQ(passesOf(-1), 0U);
    EXPECT_EQ(passesOf(-32768), 0U);
}

}  // namespace
