// A test of the running program against a dummy-driver JACK server of the test's own.
#include "own_jack_server.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace e2e {
namespace {

constexpr std::chrono::seconds serverLifetime{300};  // bounds the server a crashed test leaves
constexpr std::chrono::seconds stopDeadline{5};      // for a clean stop, before a kill

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

bool reaped(pid_t pid)
{
    return waitpid(pid, nullptr, WNOHANG) == pid;
}

}  // namespace

void OwnJackServerTest::SetUp()
{
    if (const char* saved = std::getenv("JACK_DEFAULT_SERVER")) {
        savedServer_ = saved;
    }
    setenv("JACK_DEFAULT_SERVER", serverName_.c_str(), 1);
    ASSERT_TRUE(startServer()) << "the test's own JACK server did not start";
    ProgramTest::SetUp();
}

void OwnJackServerTest::TearDown()
{
    stopServer();
    ProgramTest::TearDown();
    if (savedServer_) {
        setenv("JACK_DEFAULT_SERVER", savedServer_->c_str(), 1);
    }
}

bool OwnJackServerTest::startServer()
{
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
        return false;
    }
    const bool ready = waitUntil(
        [&] {
            return run({"jack_lsp", "-s", serverName_}, commandDeadline).status == 0;
        },
        startDeadline);
    jackd_ = ready ? childOf(wrapper_) : 0;
    return jackd_ > 0;
}

// A pid of 0 would signal this test's whole process group: every signal goes through here.
void OwnJackServerTest::signalServer(int signal) const
{
    if (jackd_ > 0) {
        kill(jackd_, signal);
    }
}

void OwnJackServerTest::stallServer()
{
    signalServer(SIGSTOP);
    stalled_ = true;
}

void OwnJackServerTest::resumeServer()
{
    signalServer(SIGCONT);
    stalled_ = false;
}

void OwnJackServerTest::killServer()
{
    if (wrapper_ == 0) {
        return;
    }
    signalServer(SIGKILL);
    kill(wrapper_, SIGKILL);
    waitpid(wrapper_, nullptr, 0);
    // The server is not this process's child; until it is reaped it counts as running, and the
    // next server of its name would not start.
    const std::filesystem::path process = "/proc/" + std::to_string(jackd_);
    waitUntil([&] { return jackd_ <= 0 || !std::filesystem::exists(process); }, effectDeadline);
    wrapper_ = 0;
    jackd_ = 0;
    stalled_ = false;
    removeLeftovers();
}

void OwnJackServerTest::stopServer()
{
    if (wrapper_ == 0) {
        return;
    }
    if (stalled_) {
        resumeServer();
    }
    signalServer(SIGTERM);
    if (jackd_ <= 0 || !waitUntil([&] { return reaped(wrapper_); }, stopDeadline)) {
        killServer();
        return;
    }
    wrapper_ = 0;
    jackd_ = 0;
}

// A killed server leaves its semaphores and socket in /dev/shm, named after it.
void OwnJackServerTest::removeLeftovers() const
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

std::vector<std::string> OwnJackServerTest::mainWindowTitled()
{
    return lines(
        run({"xdotool", "search", "--onlyvisible", "--name", mainWindowName}, commandDeadline)
            .output);
}

bool OwnJackServerTest::messageBoxShown(std::chrono::milliseconds deadline)
{
    return waitUntil([&] { return mainWindowTitled().size() == 2; }, deadline);
}

bool OwnJackServerTest::dismissMessageBox()
{
    pressKeys("Return");
    return waitUntil([&] { return mainWindowTitled().size() == 1; }, effectDeadline);
}

void OwnJackServerTest::expectExitWithin(const std::string& window,
                                         std::chrono::milliseconds deadline)
{
    click(window, mainWindow::exitButton);
    std::optional<int> status;
    EXPECT_TRUE(waitUntil([&] { return (status = exited()).has_value(); }, deadline))
        << "the program still runs " << deadline.count() << " ms after \"Exit\"";
    EXPECT_EQ(status, 0);
}

std::vector<std::string> OwnJackServerTest::programPorts()
{
    std::vector<std::string> ours;
    for (std::string& port : lines(run({"jack_lsp", "-s", serverName_}, commandDeadline).output)) {
        if (port.starts_with("vorlik")) {
            ours.push_back(std::move(port));
        }
    }
    return ours;
}

}  // namespace e2e
