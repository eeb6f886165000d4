// Driving the built program on the test display: starting it, finding its windows, clicking and
// typing with xdotool, and reading what a JACK capture client receives from it.
#include "e2e_support.h"

#include <jack/jack.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace e2e {
namespace {

using testsupport::ended;
using testsupport::finish;
using testsupport::JackCapture;
using testsupport::killGrace;
using testsupport::RunningCommand;
using testsupport::spawn;
using testsupport::start;
using testsupport::waitForStatus;

constexpr const char* programPath = VORLIK_PROGRAM_PATH;

// After each simulated action, so that the toolkit sees separate events rather than merging them.
constexpr std::chrono::milliseconds actionPause{50};
constexpr int channelCount = 16;  // channels that "Stop!" silences, 0 to 15
// After messages that should be the last, for any that follow them to arrive.
constexpr std::chrono::milliseconds quietPeriod{300};

// Debian 12's xdotool (3.20160805) stops a search at the X error that a window closing while it
// looks raises, whether that window matches or not; a window manager's frames close with every
// window.
bool lostToAClosingWindow(const CommandResult& result)
{
    return result.status != 0 && result.output.find("BadWindow") != std::string::npos;
}

std::string firstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

// Under the test command the display and JACK server must be there; run by hand, skip.
bool serversRequired()
{
    return std::getenv("VORLIK_TEST_SERVERS") != nullptr;
}

}  // namespace

std::string hexText(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    for (const std::uint8_t byte : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned>(byte));
        text += text.empty() ? pair : std::string(" ") + pair;
    }
    return text;
}

std::vector<std::string> received(testsupport::JackCapture& capture)
{
    std::vector<std::string> events;
    for (const auto& event : capture.events()) {
        events.push_back(hexText(event.bytes));
    }
    return events;
}

std::vector<std::string> allNotesOffOnEveryChannel()
{
    std::vector<std::string> messages;
    messages.reserve(channelCount);
    for (int channel = 0; channel < channelCount; ++channel) {
        messages.push_back(hexText({static_cast<std::uint8_t>(0xB0 + channel), 0x7B, 0x00}));
    }
    return messages;
}

std::vector<testsupport::CapturedEvent> eventsThroughAllNotesOff(testsupport::JackCapture& capture)
{
    const std::vector<std::string> silence = allNotesOffOnEveryChannel();
    waitUntil(
        [&] {
            const std::vector<std::string> events = received(capture);
            return events.size() >= silence.size() &&
                   std::equal(silence.rbegin(), silence.rend(), events.rbegin());
        },
        effectDeadline);
    std::this_thread::sleep_for(quietPeriod);
    return capture.events();
}

// One xdotool action, followed by a short pause; a failure is reported with the tool's output.
void xdotool(const std::vector<std::string>& args)
{
    std::vector<std::string> command = {"xdotool"};
    command.insert(command.end(), args.begin(), args.end());
    const CommandResult result = run(command, commandDeadline);
    EXPECT_EQ(result.status, 0) << "xdotool " << args.front() << ": " << result.output;
    std::this_thread::sleep_for(actionPause);
}

void click(const std::string& window, Point point)
{
    xdotool({"mousemove", "--window", window, std::to_string(point.x), std::to_string(point.y),
             "click", "1"});
}

// Keys go to the window that has the keyboard focus, as a user's typing would.
void typeText(const std::string& text)
{
    xdotool({"type", text});
}

void pressKeys(const std::string& keys)
{
    xdotool({"key", keys});
}

// Counts the JACK server's xruns. In one, a client that runs late can miss a whole cycle's
// messages, which a busy machine can cause without any fault in the program.
class XrunCounter {
public:
    static std::unique_ptr<XrunCounter> open()
    {
        std::unique_ptr<XrunCounter> counter(new XrunCounter);
        counter->client_ = jack_client_open("e2e-xruns", JackNoStartServer, nullptr);
        if (counter->client_ == nullptr) {
            return nullptr;
        }
        jack_set_xrun_callback(counter->client_, &XrunCounter::count, counter.get());
        jack_activate(counter->client_);
        return counter;
    }

    ~XrunCounter()
    {
        if (client_ != nullptr) {
            jack_client_close(client_);
        }
    }
    XrunCounter(const XrunCounter&) = delete;
    XrunCounter& operator=(const XrunCounter&) = delete;

    int xruns() const { return xruns_.load(); }

private:
    XrunCounter() = default;

    static int count(void* self)
    {
        ++static_cast<XrunCounter*>(self)->xruns_;
        return 0;
    }

    jack_client_t* client_ = nullptr;
    std::atomic<int> xruns_{0};
};

ProgramTest::ProgramTest() = default;
ProgramTest::~ProgramTest() = default;

void ProgramTest::SetUp()
{
    const std::string missing = openServers();
    if (!missing.empty() && serversRequired()) {
        FAIL() << missing;
    }
    if (!missing.empty()) {
        GTEST_SKIP() << missing;
    }
    std::string logTemplate = std::filesystem::temp_directory_path() / "vorlik-e2e.XXXXXX";
    logFd_ = mkstemp(logTemplate.data());
    ASSERT_GE(logFd_, 0) << "cannot make a log file in " << logTemplate;
    logPath_ = logTemplate;
}

void ProgramTest::TearDown()
{
    if (program_ && HasFailure()) {
        saveScreenshotOfDisplay();
    }
    if (xruns_ && xruns_->xruns() > 0 && HasFailure()) {
        std::fprintf(stderr, "JACK had %d xruns while the test ran\n", xruns_->xruns());
    }
    if (program_) {
        kill(*program_, SIGKILL);
        waitForStatus(*program_);
    }
    if (logFd_ >= 0) {
        close(logFd_);
        showLogOnFailure();
        unlink(logPath_.c_str());
    }
}

// Connects to the display's and JACK's servers; what is missing, or empty.
std::string ProgramTest::openServers()
{
    if (std::getenv("DISPLAY") == nullptr) {
        return "no DISPLAY";
    }
    std::string error;
    capture_ = JackCapture::open("capture", &error);
    if (!capture_) {
        return "no JACK server: " + error;
    }
    xruns_ = XrunCounter::open();
    return xruns_ ? "" : "JACK refused a second client";
}

// libjack frees every client of a dead server when the next client opens; so the old ones are
// closed first, while they are still whole.
std::string ProgramTest::reconnectToServer()
{
    capture_.reset();
    xruns_.reset();
    return openServers();
}

// The whole display at the failure, kept under the log's name, to see what the program showed.
void ProgramTest::saveScreenshotOfDisplay() const
{
    const std::string path = logPath_ + ".png";
    const CommandResult shot = run({WINDOW_SCREENSHOT_PATH, "root", path}, commandDeadline);
    std::fprintf(stderr, "screenshot %s: %s\n", shot.status == 0 ? "saved" : "failed",
                 shot.status == 0 ? path.c_str() : shot.output.c_str());
}

void ProgramTest::showLogOnFailure() const
{
    if (!HasFailure()) {
        return;
    }
    std::ifstream log(logPath_);
    const std::string text{std::istreambuf_iterator<char>(log), {}};
    std::fprintf(stderr, "output of %s:\n%s\n", programPath, text.c_str());
}

std::string ProgramTest::startProgram()
{
    program_ = spawn({programPath}, logFd_);
    if (!program_) {
        ADD_FAILURE() << "cannot start " << programPath;
        return {};
    }
    std::string splash = waitForWindow({"--classname", programClass});
    if (splash.empty()) {
        ADD_FAILURE() << "no splash window appeared";
    }
    return splash;
}

std::string ProgramTest::startProgramAtMainWindow()
{
    const std::string splash = startProgram();
    if (splash.empty()) {
        return {};
    }
    xdotool({"windowfocus", "--sync", splash});
    pressKeys("space");
    std::string window = waitForWindow({"--name", mainWindowName});
    if (window.empty()) {
        ADD_FAILURE() << "no window named " << mainWindowName << " appeared";
    }
    return window;
}

// One xdotool search waits for the window, rather than many short searches polling the display;
// it is repeated only when a closing window ended it.
std::string ProgramTest::waitForWindow(const std::vector<std::string>& query)
{
    std::vector<std::string> command = {"xdotool", "search", "--sync", "--onlyvisible"};
    command.insert(command.end(), query.begin(), query.end());
    const auto search = [&] {
        const std::optional<RunningCommand> running = start(command, startDeadline);
        if (!running) {
            return CommandResult{};
        }
        waitUntil([&] { return ended(running->pid) || exited().has_value(); },
                  startDeadline + killGrace);
        if (!ended(running->pid)) {
            kill(running->pid, SIGTERM);
        }
        return finish(*running);
    };
    const auto end = Clock::now() + startDeadline;
    CommandResult found = search();
    while (lostToAClosingWindow(found) && Clock::now() < end) {
        found = search();
    }
    return found.status == 0 ? firstLine(found.output) : "";
}

int ProgramTest::xruns() const
{
    return xruns_ ? xruns_->xruns() : 0;
}

std::optional<int> ProgramTest::exited()
{
    int status = 0;
    if (!program_ || waitpid(*program_, &status, WNOHANG) != *program_) {
        return std::nullopt;
    }
    program_.reset();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

testing::AssertionResult ProgramTest::receivedExactly(const std::vector<std::string>& expected)
{
    capture_->waitForEvents(expected.size(), effectDeadline);
    const std::vector<std::string> events = received(*capture_);
    if (events == expected) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "received " << testing::PrintToString(events)
                                       << "\nexpected " << testing::PrintToString(expected);
}

// Clicking a row gives the list the focus; typing then selects the row starting with it.
bool ProgramTest::openCaptureDevice(const std::string& window)
{
    click(window, mainWindow::firstDeviceRow);
    typeText(capture_->portName());
    click(window, mainWindow::openDevice);
    return waitUntil([&] { return !capture_->connectedPorts().empty(); }, effectDeadline);
}

void ProgramTest::expectCleanExit(const std::string& window)
{
    click(window, mainWindow::exitButton);
    std::optional<int> status;
    EXPECT_TRUE(waitUntil([&] { return (status = exited()).has_value(); }, effectDeadline))
        << "the program still runs after \"Exit\"";
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(waitUntil([&] { return capture_->connectedPorts().empty(); }, effectDeadline))
        << "the program's port is still connected after it ended";
}

std::string ProgramTest::startAtCaptureDevice()
{
    std::string window = startProgramAtMainWindow();
    if (window.empty()) {
        return {};
    }
    if (!openCaptureDevice(window)) {
        ADD_FAILURE() << "the program did not connect to " << capture_->portName();
        return {};
    }
    return window;
}

bool ProgramTest::screenshot(const std::string& window, const std::string& path) const
{
    return run({WINDOW_SCREENSHOT_PATH, window, path}, commandDeadline).status == 0;
}

}  // namespace e2e
