// The program, driven through its main window by simulated mouse and keyboard, sends exactly the
// expected messages to a JACK port chosen in its device list, and exits cleanly.
#include "e2e_support.h"

namespace {

using namespace e2e;

constexpr Point play{120, 200};      // "enter data and click to play" (32, 160, 177, 81)
constexpr Point rawEntry{328, 196};  // raw message text box (232, 152, 193, 89)

void playRawMessage(const std::string& window, const std::string& digits)
{
    click(window, rawEntry);
    pressKeys("ctrl+a");
    typeText(digits);
    click(window, play);
}

class MainWindowEndToEnd : public ProgramTest {};

TEST_F(MainWindowEndToEnd, ClicksAndTypingSendExactlyTheirMessagesToTheChosenDevice)
{
    const std::string window = startAtCaptureDevice();
    ASSERT_FALSE(window.empty());
    EXPECT_TRUE(received(*capture_).empty()) << "opening the device sent messages";

    std::vector<std::string> expected = {"B0 07 41"};
    click(window, mainWindow::volumeDownArrow);
    ASSERT_TRUE(receivedExactly(expected)) << "after the volume bar's arrow";

    const std::vector<std::string> stopMessages = allNotesOffOnEveryChannel();
    expected.insert(expected.end(), stopMessages.begin(), stopMessages.end());
    click(window, mainWindow::stop);
    ASSERT_TRUE(receivedExactly(expected)) << "after \"Stop!\"";

    playRawMessage(window, "007F3C93");
    expected.push_back("93 3C 7F");
    ASSERT_TRUE(receivedExactly(expected)) << "after playing the typed message";

    expectCleanExit(window);
    EXPECT_TRUE(receivedExactly(expected)) << "after \"Exit\"";
    EXPECT_EQ(capture_->droppedEvents(), 0U);
}

}  // namespace
