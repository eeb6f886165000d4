// The digit helpers and the rounding of arguments.
#include <gtest/gtest.h>

#include <cmath>

#include "midi/hex.h"

namespace {

using midi::Hex;
using midi::Hex2;
using midi::wholeNumber;

TEST(Hex, WritesUppercaseDigitsWithoutLeadingZeros)
{
    EXPECT_EQ(Hex(0), "0");
    EXPECT_EQ(Hex(9), "9");
    EXPECT_EQ(Hex(10), "A");
    EXPECT_EQ(Hex(255), "FF");
    EXPECT_EQ(Hex(256), "100");
    EXPECT_EQ(Hex(0xFFFFFFFF), "FFFFFFFF");
    EXPECT_EQ(Hex(-1), "FFFFFFFF") << "a negative number keeps its 32-bit pattern";
}

TEST(Hex, RoundsHalvesToTheEvenNeighbour)
{
    EXPECT_EQ(Hex(2.5), "2");
    EXPECT_EQ(Hex(3.5), "4");
    EXPECT_EQ(Hex(60.5), "3C");
    EXPECT_EQ(Hex(61.5), "3E");
    EXPECT_EQ(Hex(15.49), "F");
    EXPECT_EQ(Hex(15.51), "10");
    EXPECT_EQ(Hex(-0.5), "0");
}

TEST(Hex2, PadsOneDigitAndNeverCuts)
{
    EXPECT_EQ(Hex2(0), "00");
    EXPECT_EQ(Hex2(7), "07");
    EXPECT_EQ(Hex2(15.5), "10");
    EXPECT_EQ(Hex2(127), "7F");
    EXPECT_EQ(Hex2(129), "81");
    EXPECT_EQ(Hex2(256), "100");
    EXPECT_EQ(Hex2(4096), "1000");
}

TEST(WholeNumber, RoundsAndRefusesWhatNoMessageCanCarry)
{
    EXPECT_EQ(wholeNumber(0), 0U);
    EXPECT_EQ(wholeNumber(2.5), 2U);
    EXPECT_EQ(wholeNumber(-0.5), 0U) << "-0.5 rounds to zero, which is not negative";
    EXPECT_EQ(wholeNumber(4294967295.0), 4294967295U);
    EXPECT_FALSE(wholeNumber(-1));
    EXPECT_FALSE(wholeNumber(-0.51));
    EXPECT_FALSE(wholeNumber(4294967296.0));
    EXPECT_FALSE(wholeNumber(std::nan("")));
    EXPECT_FALSE(wholeNumber(INFINITY));
}

}  // namespace
