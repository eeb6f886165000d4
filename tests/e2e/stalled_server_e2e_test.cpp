// A JACK server that stops answering while the program has one of its ports open must not hang
// the program: "Exit" and "open device" finish at once, and a server that is gone is a device
// that is gone.
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "e2e_support.h"

extern char** environ;

namespace {

using namespace e2e;

constexpr std::chrono::seconds serverLifetime{120};  // bounds the server a crashed test leaves
constexpr std::chrono::milliseconds exitDeadline{2000};
constexpr std::chrono::milliseconds reopenDeadline{1500};

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        found.push_back(line);
    }
    return found;
}

// The pid of the command that timeout(1), running as `wrapper`, started.
pid_t childOf(pid_t wrapper)
{
    std::ifstream children("/proc/" + std::to_string(wrapper) + "/task/" + std::to_string(wrapper) +
                           "/children");
    pid_t child = 0;
    children >> child;
    return child;
}

// A dummy-driver JACK server of this test's own, so that stopping it disturbs no other test;
// the test's capture client and the program are pointed at it. A killed server leaves its shared
// memory behind until the next server starts; few ports keep that small.
class StalledJackServer : public ProgramTest {
protected:
    void SetUp() override
    {
        if (const char* saved = std::getenv("JACK_DEFAULT_SERVER")) {
            savedServer_ = saved;
        }
        setenv("JACK_DEFAULT_SERVER", serverName_.c_str(), 1);
        const std::vector<std::string> args = {"timeout",    std::to_string(serverLifetime.count()),
                                               "jackd",      "--no-realtime",
                                               "--port-max", "16",
                                               "-n",         serverName_,
                                               "-d",         "dummy",
                                               "-r",         "48000",
                                               "-p",         "256"};
        std::vector<char*> argv;
        argv.reserve(args.size() + 1);
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        if (posix_spawnp(&wrapper_, "timeout", nullptr, nullptr, argv.data(), environ) != 0) {
            wrapper_ = 0;
        }
        const bool ready =
            wrapper_ != 0 &&
            waitUntil(
                [&] {
                    return run({"jack_lsp", "-s", serverName_}, commandDeadline).status == 0;
                },
                startDeadline);
        jackd_ = ready ? childOf(wrapper_) : 0;
        ASSERT_GT(jackd_, 0) << "the test's own JACK server did not start";
        ProgramTest::SetUp();
    }

    void TearDown() override
    {
        stopServer();
        ProgramTest::TearDown();
        if (savedServer_) {
            setenv("JACK_DEFAULT_SERVER", savedServer_->c_str(), 1);
        }
    }

    void stallServer() { kill(jackd_, SIGSTOP); }

    // Killing a stopped server ends it; its clients see the connection go.
    void stopServer()
    {
        if (wrapper_ == 0) {
            return;
        }
        if (jackd_ > 0) {
            kill(jackd_, SIGKILL);
        }
        kill(wrapper_, SIGKILL);
        waitpid(wrapper_, nullptr, 0);
        // The server is not this process's child; until it is reaped it counts as running, and
        // the next server of its name would not start.
        const std::filesystem::path process = "/proc/" + std::to_string(jackd_);
        waitUntil([&] { return jackd_ <= 0 || !std::filesystem::exists(process); }, effectDeadline);
        wrapper_ = 0;
        jackd_ = 0;
        removeLeftovers();
    }

    // A killed server leaves its semaphores and socket in /dev/shm, named after it.
    void removeLeftovers() const
    {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ignored)) {
            const std::string name = entry.path().filename();
            if (name.starts_with("jack_sem.0_" + serverName_ + "_") ||
                name.starts_with("jack_" + serverName_ + "_")) {
                std::filesystem::remove(entry.path(), ignored);
            }
        }
    }

    // The program's windows titled like the main window: the window and any message box.
    std::vector<std::string> mainWindowTitled()
    {
        return lines(
            run({"xdotool", "search", "--onlyvisible", "--name", mainWindowName}, commandDeadline)
                .output);
    }

    // One name for every run: the registry of servers frees a killed server's place only when a
    // server of the same name starts.
    std::string serverName_ = "vorlik-stalled-server";
    std::optional<std::string> savedServer_;
    pid_t wrapper_ = 0;
    pid_t jackd_ = 0;
};

TEST_F(StalledJackServer, ExitEndsTheProgramWithinTwoSecondsWhileTheServerIsStopped)
{
    const std::string window = startAtCaptureDevice();
    ASSERT_FALSE(window.empty());
    stallServer();
    const auto clicked = Clock::now();
    click(window, mainWindow::exitButton);
    std::optional<int> status;
    EXPECT_TRUE(waitUntil([&] { return (status = exited()).has_value(); }, exitDeadline))
        << "the program still runs 2 s after \"Exit\"";
    EXPECT_EQ(status, 0);
    std::printf("Exit took %.0f ms with the server stopped\n",
                std::chrono::duration<double, std::milli>(Clock::now() - clicked).count());
}

TEST_F(StalledJackServer, OpenDeviceSaysWhyWithinASecondAndExitStillEnds)
{
    const std::string window = startAtCaptureDevice();
    ASSERT_FALSE(window.empty());
    stallServer();
    const auto clicked = Clock::now();
    click(window, mainWindow::openDevice);
    EXPECT_TRUE(waitUntil([&] { return mainWindowTitled().size() == 2; }, reopenDeadline))
        << "no message box within 1.5 s of \"open device\"";
    std::printf("\"open device\" answered in %.0f ms with the server stopped\n",
                std::chrono::duration<double, std::milli>(Clock::now() - clicked).count());
    stopServer();
    pressKeys("Return");
    ASSERT_TRUE(waitUntil([&] { return mainWindowTitled().size() == 1; }, effectDeadline));
    click(window, mainWindow::exitButton);
    std::optional<int> status;
    EXPECT_TRUE(waitUntil([&] { return (status = exited()).has_value(); }, exitDeadline))
        << "the program still runs 2 s after \"Exit\"";
    EXPECT_EQ(status, 0);
}

}  // namespace
