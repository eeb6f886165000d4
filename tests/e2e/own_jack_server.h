// A test of the running program against a dummy-driver JACK server of the test's own, which the
// test can stall, resume, kill and start again without disturbing any other test.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "support/jack_server.h"

namespace e2e {

// The test's capture client and the program are pointed at the server.
class OwnJackServerTest : public ProgramTest {
protected:
    // One name for every run: the registry of servers frees a killed server's place only when a
    // server of the same name starts.
    explicit OwnJackServerTest(const std::string& serverName = "vorlik-stalled-server");

    void SetUp() override;
    void TearDown() override;

    // Starts the server (again); false when it is not ready in time.
    bool startServer();
    void stallServer();
    void resumeServer();
    // Kills the server, as a crash would; its clients see the connection go.
    void killServer();

    // The program's windows titled like the main window: the window and any message box.
    std::vector<std::string> mainWindowTitled();
    // Waits for a message box over the main window; false when none shows within the deadline.
    bool messageBoxShown(std::chrono::milliseconds deadline);
    // Dismisses the message box and waits until it is gone.
    bool dismissMessageBox();
    // Clicks "Exit" and expects the program to end with status 0 within the deadline.
    void expectExitWithin(const std::string& window, std::chrono::milliseconds deadline);
    // The full names of the server's ports that belong to clients named "vorlik...".
    std::vector<std::string> programPorts();

    const std::string& serverName() const { return server_.name(); }

private:
    testsupport::JackServer server_;
    std::optional<std::string> savedServer_;
};

}  // namespace e2e
