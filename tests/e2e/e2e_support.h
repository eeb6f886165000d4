// Driving the built program on the test display: starting it, finding its windows, clicking and
// typing with xdotool, and reading what a JACK capture client receives from it.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/command.h"
#include "support/jack_capture.h"
#include "support/wait_until.h"

namespace e2e {

using Clock = std::chrono::steady_clock;

// Generous, so that a busy machine or the sanitizer build never fails a test.
constexpr std::chrono::seconds commandDeadline{10};  // for one xdotool call
constexpr std::chrono::seconds startDeadline{30};    // until a window is on screen
constexpr std::chrono::seconds effectDeadline{20};   // for any other effect of an action

// Regular expressions for xdotool. At start the splash is the program's only visible window.
constexpr const char* programClass = "^vorlik$";
constexpr const char* mainWindowName = "^Quorvel$";

// A position in a window's client area, px.
struct Point {
    int x;
    int y;
};

// Places on the main window, px: the middle of each control unless said.
namespace mainWindow {
constexpr Point firstDeviceRow{64, 50};     // device list (24, 40, 193, 95), rows about 15 high
constexpr Point openDevice{328, 84};        // "open device" (240, 40, 177, 89)
constexpr Point playRawEntry{120, 200};     // "enter data and click to play" (32, 160, 177, 81)
constexpr Point exitButton{216, 280};       // "Exit" (16, 264, 401, 33)
constexpr Point volumeDownArrow{168, 456};  // volume bar (160, 368, 17, 97), arrow 17 high
constexpr Point stop{208, 540};             // "Stop!" (16, 512, 385, 57)
}  // namespace mainWindow

// One event's bytes as upper-case hexadecimal pairs, "B0 07 41", for readable comparisons.
std::string hexText(const std::vector<std::uint8_t>& bytes);
std::vector<std::string> received(testsupport::JackCapture& capture);
// "B0 7B 00" to "BF 7B 00": all notes off on channels 0 to 15, in order.
std::vector<std::string> allNotesOffOnEveryChannel();
// Waits until the messages received end with allNotesOffOnEveryChannel(), then a while longer so
// that anything sent after them arrives too; every event received, oldest first.
std::vector<testsupport::CapturedEvent> eventsThroughAllNotesOff(testsupport::JackCapture& capture);

using testsupport::CommandResult;
using testsupport::run;
using testsupport::waitUntil;

// One xdotool action, followed by a short pause so that the toolkit sees separate events; a
// failure is reported with the tool's output.
void xdotool(const std::vector<std::string>& args);
void click(const std::string& window, Point point);
// Keys go to the window that has the keyboard focus, as a user's typing would.
void typeText(const std::string& text);
void pressKeys(const std::string& keys);

class XrunCounter;

// A test of the running program: a JACK capture client named "capture" exists before the
// program starts, so its port is in the program's device list. Without a display or a JACK
// server the test fails under the test command (VORLIK_TEST_SERVERS) and is skipped otherwise.
// On failure the program's output and a screenshot of the display are kept.
class ProgramTest : public testing::Test {
protected:
    ProgramTest();
    ~ProgramTest() override;

    void SetUp() override;
    void TearDown() override;

    // Starts the program; the splash window's id, or empty on failure.
    std::string startProgram();
    // Starts the program and gets past its splash with a key press, as a user would; the main
    // window's id, or empty on failure.
    std::string startProgramAtMainWindow();
    // The first visible window matching the xdotool search query, or empty when the program
    // ends first.
    std::string waitForWindow(const std::vector<std::string>& query);
    // The program's exit status once it has ended (-1 when killed by a signal), else empty.
    std::optional<int> exited();
    pid_t programPid() const { return program_.value_or(0); }
    // The JACK server's xruns since the test began; after one, its clock and the spacing of what
    // it delivers are not to be trusted.
    int xruns() const;

    // Waits for the expected number of messages, then compares every one received so far.
    testing::AssertionResult receivedExactly(const std::vector<std::string>& expected);
    // Starts the program, gets to its main window and opens the capture port there; the main
    // window's id, or empty (with the failure reported) when any step fails.
    std::string startAtCaptureDevice();
    // Clicks "Exit" and expects the program to end with status 0 and leave the port.
    void expectCleanExit(const std::string& window);
    // Saves the window's pixels as a PNG (tests/tools/window-screenshot); true on success.
    bool screenshot(const std::string& window, const std::string& path) const;
    // Selects the capture port in the main window's list and opens it; true once the program
    // has connected to the port.
    bool openCaptureDevice(const std::string& window);
    // After the JACK server was started again: the test's clients of the server that died are
    // closed, then made anew; what is missing, or empty.
    std::string reconnectToServer();

    std::unique_ptr<testsupport::JackCapture> capture_;

private:
    std::string openServers();
    void saveScreenshotOfDisplay() const;
    void showLogOnFailure() const;

    std::unique_ptr<XrunCounter> xruns_;
    std::optional<pid_t> program_;
    int logFd_ = -1;
    std::string logPath_;
};

}  // namespace e2e
