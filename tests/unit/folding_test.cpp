// Folding pointer coordinates into MIDI numbers.
#include <gtest/gtest.h>

#include "windows/mouse/folding.h"

namespace {

TEST(Wrap127, RoundsHalfToEvenThenFoldsIntoZeroTo126)
{
    EXPECT_EQ(wrap127(0), 0);
    EXPECT_EQ(wrap127(126), 126);
    EXPECT_EQ(wrap127(127), 0);
    EXPECT_EQ(wrap127(126.5), 126);
    EXPECT_EQ(wrap127(127.5), 1) << "127.5 rounds to 128";
    EXPECT_EQ(wrap127(2.5), 2);
    EXPECT_EQ(wrap127(300), 46);
    EXPECT_EQ(wrap127(1200), 57);
    EXPECT_EQ(wrap127(1200 * 20), 124);
    EXPECT_EQ(wrap127(100 * 20), 95);
    EXPECT_EQ(wrap127(50 * 20), 111);
}

TEST(Wrap127, NegativeCoordinatesFoldLikeTheirMirror)
{
    EXPECT_EQ(wrap127(-130), 3);
    EXPECT_EQ(wrap127(130), 3);
    EXPECT_EQ(wrap127(-127), 0);
    EXPECT_EQ(wrap127(-0.5), 0);
    EXPECT_EQ(wrap127(-1e12), wrap127(-2147483648.0)) << "held at the 32-bit range";
}

TEST(VolumeRemainder, KeepsTheSignOfTheCoordinate)
{
    EXPECT_EQ(volumeRemainder(300), 46);
    EXPECT_EQ(volumeRemainder(0), 0);
    EXPECT_EQ(volumeRemainder(126.5), 126);
    EXPECT_EQ(volumeRemainder(-300), -46);
    EXPECT_EQ(volumeRemainder(-1), -1);
    EXPECT_EQ(volumeRemainder(-127), 0);
}

}  // namespace
