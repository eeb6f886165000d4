// Every message the procedures send, as a recording device receives it.
#include <gtest/gtest.h>

#include "midi/device_handle.h"
#include "midi/message_procedures.h"
#include "midi/message_text.h"
#include "midi/output_devices.h"
#include "support/recording_devices.h"

namespace {

using testsupport::RecordingDevices;
using Values = std::vector<std::uint32_t>;

class MessageProcedures : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(midi::openDevice(0), ""); }
    void TearDown() override
    {
        midi::closeDevice();
        midi::Devicehandle = 0;
    }

    RecordingDevices devices_{{"recorder"}};
};

TEST_F(MessageProcedures, NoteOnTakesTheChannelAsItGoesIntoTheStatusByte)
{
    midi::noteOn(0, 60, 64);
    midi::noteOn(1, 60, 64);
    midi::noteOn(9, 129, 64);
    midi::noteOn(1, 60, 0);
    EXPECT_EQ(devices_.values(), (Values{0x00403C90, 0x00403C91, 0x00408199, 0x00003C91}));
}

TEST_F(MessageProcedures, NoteOnRoundsFractionsHalfToEven)
{
    midi::noteOn(1, 60.5, 64);
    midi::noteOn(1, 61.5, 64);
    midi::noteOn(1, 60, 99.5);
    EXPECT_EQ(devices_.values(), (Values{0x00403C91, 0x00403E91, 0x00643C91}));
}

TEST_F(MessageProcedures, WideFieldsShiftTheMessageAsTheirDigitsSay)
{
    midi::noteOn(16, 60, 64);
    midi::noteOn(1, 256, 64);
    EXPECT_EQ(devices_.values(), (Values{0x0403C910, 0x04010091}));
}

TEST_F(MessageProcedures, NoteOffAndPatchCountChannelsFromOne)
{
    midi::noteOff(1, 60);
    midi::noteOff(16, 127);
    midi::programChange(1, 5);
    midi::programChange(3, 127);
    midi::programChange(1, 2.5);
    EXPECT_EQ(devices_.values(),
              (Values{0x00003C90, 0x00007F9F, 0x000005C0, 0x00007FC2, 0x000002C0}));
}

TEST_F(MessageProcedures, ChannelZeroForNoteOffOrPatchDoesNotConvertAndSendsNothing)
{
    midi::noteOff(0, 60);
    midi::programChange(0, 5);
    EXPECT_TRUE(devices_.values().empty());
}

TEST_F(MessageProcedures, NegativeArgumentsSendNothing)
{
    midi::noteOn(-1, 60, 64);
    midi::noteOn(1, -60, 64);
    midi::noteOn(1, 60, -1);
    midi::noteOff(1, -2);
    midi::programChange(-1, 5);
    midi::programChange(1, -0.6);
    EXPECT_TRUE(devices_.values().empty());
}

TEST_F(MessageProcedures, AllNotesOffGoesToTheSixteenChannelsInOrder)
{
    midi::allNotesOff();
    Values expected;
    for (std::uint32_t channel = 0; channel < 16; ++channel) {
        expected.push_back(0x00007BB0 + channel);
    }
    EXPECT_EQ(devices_.values(), expected);
}

TEST_F(MessageProcedures, BarMessagesUseTheBarValuesAsTheyAre)
{
    midi::sendText(midi::volumeBarText(100, 15));
    midi::sendText(midi::volumeBarText(0, 0));
    midi::sendText(midi::programBarText(1, 0));
    midi::sendText(midi::programBarText(128, 0));
    EXPECT_EQ(devices_.values(), (Values{0x006407BF, 0x000007B0, 0x000001C0, 0x000080C0}));
}

TEST(RawEntryText, DropsBlanksAroundTheDigitsOnly)
{
    EXPECT_EQ(midi::rawEntryText("00642A90"), "&H00642A90");
    EXPECT_EQ(midi::rawEntryText("  903c\t "), "&H903c");
    EXPECT_EQ(midi::rawEntryText("90 3C"), "&H90 3C");
    EXPECT_EQ(midi::rawEntryText("   "), "&H");
}

TEST(Sending, BeforeAnyDeviceIsOpenedNothingArrives)
{
    RecordingDevices devices({"recorder"});
    midi::Devicehandle = 0;
    midi::noteOn(0, 60, 64);
    midi::allNotesOff();
    EXPECT_TRUE(devices.messages().empty());
}

}  // namespace
