// A test of the running program against a dummy-driver JACK server of the test's own.
#include "own_jack_server.h"

#include <sstream>

namespace e2e {
namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        found.push_back(line);
    }
    return found;
}

}  // namespace

// The server's output goes with the test's.
OwnJackServerTest::OwnJackServerTest(const std::string& serverName)
    : server_(serverName, "/dev/stderr")
{
}

void OwnJackServerTest::SetUp()
{
    if (const char* saved = std::getenv("JACK_DEFAULT_SERVER")) {
        savedServer_ = saved;
    }
    setenv("JACK_DEFAULT_SERVER", server_.name().c_str(), 1);
    ASSERT_TRUE(startServer()) << "the test's own JACK server did not start";
    ProgramTest::SetUp();
}

void OwnJackServerTest::TearDown()
{
    server_.stop();
    ProgramTest::TearDown();
    if (savedServer_) {
        setenv("JACK_DEFAULT_SERVER", savedServer_->c_str(), 1);
    }
}

bool OwnJackServerTest::startServer()
{
    return server_.start();
}

void OwnJackServerTest::stallServer()
{
    server_.stall();
}

void OwnJackServerTest::resumeServer()
{
    server_.resume();
}

void OwnJackServerTest::killServer()
{
    server_.kill();
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
    for (std::string& port : lines(run({"jack_lsp", "-s", serverName()}, commandDeadline).output)) {
        if (port.starts_with("vorlik")) {
            ours.push_back(std::move(port));
        }
    }
    return ours;
}

}  // namespace e2e
