// A JACK server that stops answering while the program has one of its ports open must not hang
// the program: "Exit" and "open device" finish at once, and a server that is gone is a device
// that is gone.
#include "own_jack_server.h"

namespace {

using namespace e2e;

constexpr std::chrono::milliseconds exitDeadline{2000};
constexpr std::chrono::milliseconds reopenDeadline{1500};

using StalledJackServer = OwnJackServerTest;

TEST_F(StalledJackServer, ExitEndsTheProgramWithinTwoSecondsWhileTheServerIsStopped)
{
    const std::string window = startAtCaptureDevice();
    ASSERT_FALSE(window.empty());
    stallServer();
    const auto clicked = Clock::now();
    expectExitWithin(window, exitDeadline);
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
    EXPECT_TRUE(messageBoxShown(reopenDeadline))
        << "no message box within 1.5 s of \"open device\"";
    std::printf("\"open device\" answered in %.0f ms with the server stopped\n",
                std::chrono::duration<double, std::milli>(Clock::now() - clicked).count());
    killServer();
    ASSERT_TRUE(dismissMessageBox());
    expectExitWithin(window, exitDeadline);
}

}  // namespace
