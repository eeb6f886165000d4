// Fitting port names into the 32 bytes of a device name.
#include <gtest/gtest.h>

#include "platform/midi/port_name.h"

namespace {

using midiout::fitDeviceName;

TEST(FitDeviceName, KeepsNamesOfUpTo32BytesWhole)
{
    EXPECT_EQ(fitDeviceName(""), "");
    EXPECT_EQ(fitDeviceName("capture:in"), "capture:in");
    const std::string exactly32 = "0123456789abcdefghijklmnopqrstuv";
    ASSERT_EQ(exactly32.size(), 32U);
    EXPECT_EQ(fitDeviceName(exactly32), exactly32);
}

TEST(FitDeviceName, KeepsTheTailThatTellsPortsOfOneClientApart)
{
    const std::string first = fitDeviceName("Midi Through:Midi Through Port-0 14:0");
    const std::string second = fitDeviceName("Midi Through:Midi Through Port-1 14:1");
    EXPECT_EQ(first.size(), 32U);
    EXPECT_EQ(first, "Midi Through..hrough Port-0 14:0");
    EXPECT_NE(first, second);
    EXPECT_TRUE(second.ends_with("Port-1 14:1"));
}

TEST(FitDeviceName, CutsOnlyAtCharacterBoundaries)
{
    // "é" is two bytes and "🎹" four: no cut may leave part of either.
    const std::string name = "Synthé éé:🎹🎹🎹🎹🎹🎹 output port number 12";
    const std::string fitted = fitDeviceName(name);
    EXPECT_LE(fitted.size(), 32U);
    EXPECT_GE(fitted.size(), 28U);
    for (std::size_t cut = 0; cut < fitted.size();) {
        const auto lead = static_cast<unsigned char>(fitted[cut]);
        ASSERT_NE(lead & 0xC0, 0x80) << "continuation byte at " << cut << " in " << fitted;
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        ASSERT_LE(cut + length, fitted.size()) << "character cut at the end of " << fitted;
        cut += length;
    }
    EXPECT_TRUE(fitted.ends_with("port number 12"));
}

}  // namespace
