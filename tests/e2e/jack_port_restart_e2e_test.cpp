// End to end: a JACK MIDI port the program has open, whose server is killed as a crash would and
// started again under the same name, is connected again to the port of the same name once that is
// back, without being opened again; the next message arrives there.
#include "own_jack_server.h"

namespace {

using namespace e2e;

// From the destination port's return, for the program to connect to it again.
constexpr std::chrono::milliseconds reconnectDeadline{3000};

class JackPortRestart : public OwnJackServerTest {
protected:
    JackPortRestart() : OwnJackServerTest("vorlik-restart-server") {}
};

TEST_F(JackPortRestart, AnOpenPortFindsItsDestinationAgainAndTheNextMessageArrives)
{
    const std::string window = startAtCaptureDevice();
    ASSERT_FALSE(window.empty());
    const std::string destination = capture_->portName();

    killServer();
    ASSERT_TRUE(startServer());
    ASSERT_EQ(reconnectToServer(), "");
    ASSERT_EQ(capture_->portName(), destination);
    EXPECT_TRUE(waitUntil([&] { return !capture_->connectedPorts().empty(); }, reconnectDeadline))
        << "the program's port is not connected to " << destination << " again";

    click(window, mainWindow::playRawEntry);
    EXPECT_TRUE(receivedExactly({"90 2A 64"}));
    expectCleanExit(window);
}

}  // namespace
