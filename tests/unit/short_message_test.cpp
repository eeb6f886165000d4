// How a packed short message goes out as bytes.
#include <gtest/gtest.h>

#include <vector>

#include "platform/midi/short_message.h"

namespace {

struct Row {
    const char* name;
    std::uint32_t packed;
    std::vector<std::uint8_t> bytes;
};

class UnpackShortMessage : public testing::TestWithParam<Row> {};

TEST_P(UnpackShortMessage, SendsTheBytesItsStatusCallsFor)
{
    const midiout::ShortMessageBytes message = midiout::unpackShortMessage(GetParam().packed);
    const auto bytes = message.bytes();
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, UnpackShortMessage,
    testing::Values(Row{"NoteOn", 0x00403C90, {0x90, 0x3C, 0x40}},
                    Row{"NoteOnDataBytesWithTopBitKept", 0x00408199, {0x99, 0x81, 0x40}},
                    Row{"ControlChange", 0x006407BF, {0xBF, 0x07, 0x64}},
                    Row{"ProgramChangeIsTwoBytes", 0x000080C0, {0xC0, 0x80}},
                    Row{"ChannelPressureIsTwoBytes", 0x00007FD3, {0xD3, 0x7F}},
                    Row{"PitchBend", 0x00402AE1, {0xE1, 0x2A, 0x40}},
                    Row{"FirstByteNotAStatusGoesOutWhole", 0x0403C910, {0x10, 0xC9, 0x03}},
                    Row{"ZeroIsThreeZeroBytes", 0x00000000, {0x00, 0x00, 0x00}},
                    Row{"SongPositionIsThreeBytes", 0x000103F2, {0xF2, 0x03, 0x01}},
                    Row{"SongSelectIsTwoBytes", 0x000005F3, {0xF3, 0x05}},
                    Row{"SystemResetIsOneByteAndTopByteIgnored", 0xFFFFFFFF, {0xFF}},
                    Row{"ClockIsOneByte", 0x00003CF8, {0xF8}}),
    [](const testing::TestParamInfo<Row>& info) { return info.param.name; });

}  // namespace
