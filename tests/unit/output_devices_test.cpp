// Listing, opening and closing the device behind Devicehandle.
#include <gtest/gtest.h>

#include "midi/device_handle.h"
#include "midi/message_procedures.h"
#include "midi/output_devices.h"
#include "support/recording_devices.h"

namespace {

using testsupport::RecordingDevices;
using testsupport::SentMessage;

class OutputDevices : public testing::Test {
protected:
    void TearDown() override
    {
        midi::closeDevice();
        midi::Devicehandle = 0;
    }
};

TEST_F(OutputDevices, NamesComeInDeviceOrder)
{
    RecordingDevices devices({"first", "second", "third"});
    EXPECT_EQ(midi::outputDeviceNames(), (std::vector<std::string>{"first", "second", "third"}));
}

TEST_F(OutputDevices, NoDevicesGiveAnEmptyList)
{
    RecordingDevices devices({});
    EXPECT_TRUE(midi::outputDeviceNames().empty());
}

TEST_F(OutputDevices, NameOf32BytesIsReadWholeWithoutANul)
{
    const std::string exactly32 = "0123456789ABCDEF0123456789ABCDEF";
    RecordingDevices devices({exactly32, "short"});
    EXPECT_EQ(midi::outputDeviceNames(), (std::vector<std::string>{exactly32, "short"}));
}

TEST_F(OutputDevices, FailingNameQueryKeepsThePlaceUnderANeutralName)
{
    RecordingDevices devices({"first", "broken", "third"});
    devices.failCapabilities(1);
    EXPECT_EQ(midi::outputDeviceNames(),
              (std::vector<std::string>{"first", "Output device 1", "third"}));
}

TEST_F(OutputDevices, OpeningAgainClosesTheDeviceOpenedBefore)
{
    RecordingDevices devices({"first", "second"});
    ASSERT_EQ(midi::openDevice(0), "");
    const winmm::HMIDIOUT first = midi::Devicehandle;
    ASSERT_EQ(midi::openDevice(1), "");
    EXPECT_EQ(devices.closed(), std::vector<std::uint32_t>{first});
    midi::allNotesOff();
    EXPECT_EQ(devices.messages().front(), (SentMessage{midi::Devicehandle, 0x00007BB0}));
    EXPECT_EQ(devices.opened(), (std::vector<std::size_t>{0, 1}));
}

// The device that worked stays open and in use when another cannot be opened in its place.
TEST_F(OutputDevices, FailedOpenKeepsTheWorkingDevice)
{
    RecordingDevices devices({"good", "synth"});
    devices.failOpen(1, "No General MIDI SoundFont found.");
    ASSERT_EQ(midi::openDevice(0), "");
    const winmm::HMIDIOUT working = midi::Devicehandle;
    EXPECT_EQ(midi::openDevice(1), "No General MIDI SoundFont found.");
    EXPECT_EQ(midi::Devicehandle, working);
    EXPECT_TRUE(midi::deviceOpen());
    EXPECT_TRUE(devices.closed().empty());
    midi::noteOn(0, 60, 64);
    EXPECT_EQ(devices.messages(), (std::vector<SentMessage>{{working, 0x00403C90}}));
}

TEST_F(OutputDevices, FinishingClosesTheOpenDevice)
{
    RecordingDevices devices({"good"});
    ASSERT_EQ(midi::openDevice(0), "");
    const winmm::HMIDIOUT handle = midi::Devicehandle;
    EXPECT_TRUE(midi::finishOutput());
    EXPECT_EQ(devices.closed(), std::vector<std::uint32_t>{handle});
    EXPECT_FALSE(midi::deviceOpen());
}

}  // namespace
