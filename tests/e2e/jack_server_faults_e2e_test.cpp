// Whatever the JACK server does (dies, stalls, comes back) the program neither crashes nor leaves
// a JACK client, thread or open file behind, and every "open device" either works or says why.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "own_jack_server.h"
#include "support/jack_audio_level.h"

namespace {

using namespace e2e;

constexpr std::chrono::milliseconds exitDeadline{2000};
constexpr std::chrono::milliseconds boxDeadline{1500};
constexpr int stallCycles = 30;
// A sample this loud is a note, not noise: the synth renders silence as exact zeros.
constexpr float audible = 0.01f;

using JackServerFaults = OwnJackServerTest;

std::size_t entriesIn(const std::filesystem::path& folder)
{
    std::error_code ignored;
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(folder, ignored),
                      std::filesystem::directory_iterator()));
}

// The names of a process's threads but those of Qt's thread pool, which come and go with Qt's own
// work (they end after 30 s idle).
std::vector<std::string> threadNames(const std::filesystem::path& process)
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& task : std::filesystem::directory_iterator(process / "task", ignored)) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        if (name != "Thread (pooled)") {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Device 0's left ports: "synth-left", and "synth-left-2"... while a device 0 opened before
// still has that name.
std::vector<std::string> synthPorts(const std::vector<std::string>& ports)
{
    std::vector<std::string> left;
    std::copy_if(ports.begin(), ports.end(), std::back_inserter(left),
                 [](const std::string& port) { return port.find(":synth-left") != port.npos; });
    return left;
}

std::optional<std::string> synthPort(const std::vector<std::string>& ports)
{
    const std::vector<std::string> left = synthPorts(ports);
    return left.size() == 1 ? std::optional(left.front()) : std::nullopt;
}

TEST_F(JackServerFaults, ExitAfterAFailedOpenWhileTheServerIsDeadEndsTheProgramCleanly)
{
    const std::string window = startAtCaptureDevice();
    ASSERT_FALSE(window.empty());
    killServer();
    click(window, mainWindow::openDevice);
    ASSERT_TRUE(messageBoxShown(boxDeadline)) << "no message box after \"open device\"";
    ASSERT_TRUE(dismissMessageBox());
    expectExitWithin(window, exitDeadline);
}

// Device 0 comes back by itself with the server; opened again, it sounds through ports of its own.
TEST_F(JackServerFaults, ReopeningDeviceZeroAndAPortAfterTheServerCameBackSoundsAndDelivers)
{
    const std::string window = startProgramAtMainWindow();
    ASSERT_FALSE(window.empty());
    click(window, mainWindow::firstDeviceRow);
    click(window, mainWindow::openDevice);
    ASSERT_TRUE(waitUntil([&] { return synthPort(programPorts()).has_value(); }, effectDeadline))
        << "device 0 does not play through JACK";
    const std::string capturePort = capture_->portName();

    killServer();
    click(window, mainWindow::firstDeviceRow);
    typeText(capturePort);
    click(window, mainWindow::openDevice);
    ASSERT_TRUE(messageBoxShown(boxDeadline)) << "no message box after \"open device\"";
    ASSERT_TRUE(dismissMessageBox());

    ASSERT_TRUE(startServer());
    ASSERT_EQ(reconnectToServer(), "");
    std::optional<std::string> cameBack;
    ASSERT_TRUE(waitUntil([&] { return (cameBack = synthPort(programPorts())).has_value(); },
                          effectDeadline))
        << "device 0 did not come back with the server";
    const auto level = testsupport::JackAudioLevel::open("level");
    ASSERT_NE(level, nullptr);
    ASSERT_TRUE(level->listenTo(*cameBack));
    click(window, mainWindow::playRawEntry);
    EXPECT_TRUE(waitUntil([&] { return level->peak() > audible; }, effectDeadline))
        << "device 0 is silent after the server came back";

    click(window, mainWindow::firstDeviceRow);
    click(window, mainWindow::openDevice);
    std::optional<std::string> reopened;
    ASSERT_TRUE(waitUntil(
        [&] {
            reopened = synthPort(programPorts());
            return reopened.has_value() && reopened != cameBack;
        },
        effectDeadline))
        << "device 0 opened again does not play through JACK";
    level->reset();
    ASSERT_TRUE(level->listenTo(*reopened));
    click(window, mainWindow::playRawEntry);
    EXPECT_TRUE(waitUntil([&] { return level->peak() > audible; }, effectDeadline))
        << "device 0 opened again is silent";

    ASSERT_TRUE(openCaptureDevice(window));
    click(window, mainWindow::stop);
    EXPECT_TRUE(receivedExactly(allNotesOffOnEveryChannel()));
    expectCleanExit(window);
}

// Each stall: two opens that must say why, then one after the server resumed that must work.
TEST_F(JackServerFaults, StallsWithOpensInBetweenLeaveNoClientThreadOrFileBehind)
{
    const std::string window = startAtCaptureDevice();
    ASSERT_FALSE(window.empty());
    const std::filesystem::path process = "/proc/" + std::to_string(programPid());
    const std::vector<std::string> threads = threadNames(process);
    const std::size_t files = entriesIn(process / "fd");
    std::vector<std::string> connected = capture_->connectedPorts();

    for (int cycle = 0; cycle < stallCycles; ++cycle) {
        SCOPED_TRACE("stall " + std::to_string(cycle + 1));
        stallServer();
        for (int open = 0; open < 2; ++open) {
            click(window, mainWindow::openDevice);
            ASSERT_TRUE(messageBoxShown(boxDeadline))
                << "\"open device\" " << open + 1 << " said nothing while the server stalled";
            ASSERT_TRUE(dismissMessageBox());
        }
        resumeServer();
        click(window, mainWindow::openDevice);
        const std::vector<std::string> before = connected;
        ASSERT_TRUE(waitUntil(
            [&] {
                connected = capture_->connectedPorts();
                return connected.size() == 1 && connected != before;
            },
            effectDeadline))
            << "\"open device\" after the server resumed did not replace the port";
    }

    EXPECT_TRUE(waitUntil([&] { return programPorts() == connected; }, effectDeadline))
        << "the program's ports: " << testing::PrintToString(programPorts());
    EXPECT_TRUE(waitUntil(
        [&] { return threadNames(process) == threads && entriesIn(process / "fd") <= files; },
        effectDeadline))
        << "threads " << testing::PrintToString(threads) << " -> "
        << testing::PrintToString(threadNames(process)) << ", open files " << files << " -> "
        << entriesIn(process / "fd");
    click(window, mainWindow::stop);
    EXPECT_TRUE(receivedExactly(allNotesOffOnEveryChannel()));
    expectCleanExit(window);
}

}  // namespace
