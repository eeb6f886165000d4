// The five MIDI output functions against recording devices.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/midi/midi_out.h"
#include "support/recording_devices.h"

namespace {

using namespace winmm;
using testsupport::RecordingDevices;
using testsupport::SentMessage;

std::string deviceName(UINT device)
{
    MIDIOUTCAPSA caps;
    std::memset(&caps, 0x55, sizeof caps);
    EXPECT_EQ(midiOutGetDevCapsA(device, &caps, sizeof caps), MMSYSERR_NOERROR);
    return std::string(caps.szPname, strnlen(caps.szPname, MAXPNAMELEN));
}

HMIDIOUT openDevice(UINT device)
{
    HMIDIOUT handle = 0;
    EXPECT_EQ(midiOutOpen(&handle, device, 0, 0, 0), MMSYSERR_NOERROR);
    return handle;
}

TEST(DeviceList, NumbersDevicesInOrderWithTheirNames)
{
    RecordingDevices devices({"first", "second", "third"});
    ASSERT_EQ(midiOutGetNumDevs(), 3U);
    EXPECT_EQ(deviceName(0), "first");
    EXPECT_EQ(deviceName(1), "second");
    EXPECT_EQ(deviceName(2), "third");

    openDevice(2);
    EXPECT_EQ(devices.opened(), std::vector<std::size_t>{2});
}

TEST(DeviceList, EmptyListHasNoDeviceZero)
{
    RecordingDevices devices({});
    EXPECT_EQ(midiOutGetNumDevs(), 0U);
    MIDIOUTCAPSA caps;
    EXPECT_EQ(midiOutGetDevCapsA(0, &caps, sizeof caps), MMSYSERR_BADDEVICEID);
    HMIDIOUT handle = 0;
    EXPECT_EQ(midiOutOpen(&handle, 0, 0, 0, 0), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(handle, 0U);
}

TEST(DeviceList, NameOfExactly32BytesFillsTheFieldWithoutNul)
{
    const std::string exactly32 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    RecordingDevices devices({exactly32});
    midiOutGetNumDevs();
    MIDIOUTCAPSA caps;
    ASSERT_EQ(midiOutGetDevCapsA(0, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_EQ(std::string(caps.szPname, MAXPNAMELEN), exactly32);
}

TEST(DeviceList, LongerNameIsFittedTo32Bytes)
{
    RecordingDevices devices({"a client with a long name:and its port number 7"});
    midiOutGetNumDevs();
    const std::string name = deviceName(0);
    EXPECT_EQ(name.size(), 32U);
    EXPECT_TRUE(name.ends_with("port number 7")) << name;
}

TEST(DeviceList, CapabilitiesQueryCanBeMadeToFail)
{
    RecordingDevices devices({"good", "bad"});
    devices.failCapabilities(1);
    midiOutGetNumDevs();
    MIDIOUTCAPSA caps;
    EXPECT_EQ(midiOutGetDevCapsA(0, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_NE(midiOutGetDevCapsA(1, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutGetDevCapsA(0, &caps, 51), MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiOutGetDevCapsA(0, nullptr, sizeof caps), MMSYSERR_INVALPARAM);
}

TEST(DeviceList, FailedOpenKeepsItsReasonAndLeavesTheHandleAlone)
{
    RecordingDevices devices({"synth"});
    devices.failOpen(0, "No General MIDI SoundFont was found.");
    HMIDIOUT handle = 0;
    EXPECT_NE(midiOutOpen(&handle, 0, 0, 0, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(handle, 0U);
    EXPECT_EQ(midiOutLastOpenError(), "No General MIDI SoundFont was found.");
    EXPECT_NE(midiOutOpen(&handle, 0, 1, 0, 0), MMSYSERR_NOERROR) << "callbacks are refused";
    EXPECT_TRUE(devices.opened().empty());
}

TEST(Sending, GoesOutUnchangedThroughTheOpenHandle)
{
    RecordingDevices devices({"out"});
    const HMIDIOUT handle = openDevice(0);
    EXPECT_TRUE(midiOutLastOpenError().empty());
    for (const DWORD value : {0x00403C90U, 0x000080C0U, 0x0403C910U, 0xFFFFFFFFU}) {
        EXPECT_EQ(midiOutShortMsg(handle, value), MMSYSERR_NOERROR);
    }
    EXPECT_EQ(devices.messages(), (std::vector<SentMessage>{{handle, 0x00403C90},
                                                            {handle, 0x000080C0},
                                                            {handle, 0x0403C910},
                                                            {handle, 0xFFFFFFFF}}));
}

TEST(Sending, RefusedOnZeroUnknownAndClosedHandles)
{
    RecordingDevices devices({"out"});
    const HMIDIOUT handle = openDevice(0);
    EXPECT_EQ(midiOutShortMsg(0, 0x00403C90), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiOutShortMsg(handle + 1000, 0x00403C90), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiOutClose(handle), MMSYSERR_NOERROR);
    EXPECT_EQ(devices.closed(), std::vector<std::uint32_t>{handle});
    EXPECT_EQ(midiOutShortMsg(handle, 0x00403C90), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiOutClose(handle), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiOutClose(0), MMSYSERR_INVALHANDLE);
    EXPECT_TRUE(devices.messages().empty());
}

TEST(Sending, HandlesAreNonZeroAndNeverReused)
{
    RecordingDevices devices({"a", "b"});
    const HMIDIOUT first = openDevice(0);
    ASSERT_EQ(midiOutClose(first), MMSYSERR_NOERROR);
    const HMIDIOUT second = openDevice(0);
    const HMIDIOUT third = openDevice(1);
    EXPECT_NE(first, 0U);
    EXPECT_NE(second, first);
    EXPECT_NE(third, second);
    EXPECT_NE(third, first);

    midiOutShortMsg(first, 0x01);
    midiOutShortMsg(second, 0x02);
    midiOutShortMsg(third, 0x03);
    EXPECT_EQ(devices.messages(), (std::vector<SentMessage>{{second, 0x02}, {third, 0x03}}));
}

TEST(Sending, OpenHandleSurvivesANewEnumeration)
{
    RecordingDevices devices({"out"});
    const HMIDIOUT handle = openDevice(0);
    midiOutGetNumDevs();
    EXPECT_EQ(midiOutShortMsg(handle, 0x00007BB0), MMSYSERR_NOERROR);
    EXPECT_EQ(devices.values(), std::vector<std::uint32_t>{0x00007BB0});
}

}  // namespace
