// Messages reach a real JACK MIDI port through the MIDI output functions, byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/midi/midi_out.h"
#include "platform/midi/port_name.h"
#include "support/device_lookup.h"
#include "support/jack_capture.h"

namespace {

using namespace winmm;
using testsupport::deviceNamed;
using testsupport::JackCapture;
using Bytes = std::vector<std::uint8_t>;

constexpr std::chrono::seconds deliveryDeadline{5};

// Under the test command the JACK server must be there; run by hand without one, skip.
std::unique_ptr<JackCapture> openCapture()
{
    std::string error;
    auto capture = JackCapture::open("capture", &error);
    if (!capture && std::getenv("VORLIK_TEST_SERVERS") != nullptr) {
        ADD_FAILURE() << "no JACK server: " << error;
    }
    return capture;
}

std::vector<Bytes> capturedBytes(JackCapture& capture)
{
    std::vector<Bytes> bytes;
    for (const auto& event : capture.events()) {
        bytes.push_back(event.bytes);
    }
    return bytes;
}

// One capture client serves the whole suite: PipeWire's JACK library carries nothing to a client
// opened in a process where another of its clients has closed, which is the test's doing, not
// the program's (its receivers are other programs).
class JackTransport : public testing::Test {
protected:
    static void SetUpTestSuite() { capture_ = openCapture(); }
    static void TearDownTestSuite() { capture_.reset(); }

    void SetUp() override
    {
        if (!capture_) {
            GTEST_SKIP() << "no JACK server running";
        }
        capture_->takeEvents();  // what reached it after an earlier test ended
        const auto device = deviceNamed(midiout::fitDeviceName(capture_->portName()));
        ASSERT_TRUE(device) << capture_->portName() << " is not in the device list";
        ASSERT_EQ(midiOutOpen(&handle_, *device, 0, 0, 0), MMSYSERR_NOERROR)
            << midiOutLastOpenError();
    }

    void TearDown() override
    {
        if (handle_ != 0) {
            midiOutClose(handle_);
        }
    }

    static inline std::unique_ptr<JackCapture> capture_;
    HMIDIOUT handle_ = 0;
};

TEST_F(JackTransport, ChannelMessagesArriveExactlyAndInOrder)
{
    const std::vector<DWORD> sent = {0x00403C90, 0x000005C0, 0x006407B0, 0x00007BBF, 0x000080C0};
    for (const DWORD value : sent) {
        ASSERT_EQ(midiOutShortMsg(handle_, value), MMSYSERR_NOERROR);
    }
    ASSERT_TRUE(capture_->waitForEvents(sent.size(), deliveryDeadline));
    EXPECT_EQ(capturedBytes(*capture_), (std::vector<Bytes>{{0x90, 0x3C, 0x40},
                                                            {0xC0, 0x05},
                                                            {0xB0, 0x07, 0x64},
                                                            {0xBF, 0x7B, 0x00},
                                                            {0xC0, 0x80}}));
}

TEST_F(JackTransport, OddBytesGoOutUnchanged)
{
    ASSERT_EQ(midiOutShortMsg(handle_, 0x00408199), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutShortMsg(handle_, 0x0403C910), MMSYSERR_NOERROR);
    ASSERT_TRUE(capture_->waitForEvents(2, deliveryDeadline));
    EXPECT_EQ(capturedBytes(*capture_),
              (std::vector<Bytes>{{0x99, 0x81, 0x40}, {0x10, 0xC9, 0x03}}));
}

TEST_F(JackTransport, ProgramsOwnPortCarriesItsName)
{
    EXPECT_EQ(capture_->connectedPorts(), std::vector<std::string>{"vorlik:vorlik"});
}

TEST_F(JackTransport, ClosingRightAfterSendingDeliversEverything)
{
    ASSERT_EQ(midiOutShortMsg(handle_, 0x00403C90), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutShortMsg(handle_, 0x00007BB0), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutClose(handle_), MMSYSERR_NOERROR);
    handle_ = 0;
    ASSERT_TRUE(capture_->waitForEvents(2, deliveryDeadline));
    EXPECT_EQ(capturedBytes(*capture_),
              (std::vector<Bytes>{{0x90, 0x3C, 0x40}, {0xB0, 0x7B, 0x00}}));
}

// Reopening and closing many times, each time with messages sent at once after the open and
// right before the close, loses none of them and never crashes on close.
TEST_F(JackTransport, NoMessageIsLostAcrossManyOpensAndCloses)
{
    const UINT device = *deviceNamed(midiout::fitDeviceName(capture_->portName()));
    midiOutClose(handle_);
    constexpr int rounds = 40;
    constexpr int messagesPerRound = 25;
    std::vector<Bytes> expected;
    for (int round = 0; round < rounds; ++round) {
        ASSERT_EQ(midiOutOpen(&handle_, device, 0, 0, 0), MMSYSERR_NOERROR);
        for (int note = 0; note < messagesPerRound; ++note) {
            const auto data1 = static_cast<std::uint8_t>(note);
            // Velocity 1 and up: PipeWire's JACK library delivers a note-on of velocity 0 as a
            // note-off of velocity 64, and this test counts messages, not their spelling.
            const auto data2 = static_cast<std::uint8_t>(round + 1);
            midiOutShortMsg(handle_, 0x90U | data1 << 8U | static_cast<unsigned>(data2) << 16U);
            expected.push_back({0x90, data1, data2});
        }
        ASSERT_EQ(midiOutClose(handle_), MMSYSERR_NOERROR);
    }
    handle_ = 0;
    ASSERT_TRUE(capture_->waitForEvents(expected.size(), deliveryDeadline))
        << capture_->events().size() << " of " << expected.size() << " arrived";
    EXPECT_EQ(capturedBytes(*capture_), expected);
}

TEST_F(JackTransport, ClosedHandleSendsNothing)
{
    ASSERT_EQ(midiOutClose(handle_), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(handle_, 0x00403C90), MMSYSERR_INVALHANDLE);
    handle_ = 0;
    EXPECT_EQ(midiOutShortMsg(0, 0x00403C90), MMSYSERR_INVALHANDLE);
    EXPECT_FALSE(capture_->waitForEvents(1, std::chrono::milliseconds(200)));
}

}  // namespace
