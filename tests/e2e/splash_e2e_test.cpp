// The program's splash window on the test display: untitled and centred on the screen, and handing
// over to the main window on a key press or a click on its frame.
#include <cstdlib>
#include <sstream>

#include "e2e_support.h"

namespace {

using namespace e2e;

constexpr const char* applicationName = "vorlik";
constexpr int splashWidth = 492;  // px
constexpr int splashHeight = 368;
// Centring rounds by a pixel or so, whatever the screen's size.
constexpr int centringTolerance = 3;  // px
// On the frame, clear of both pictures and both labels, px of the splash.
constexpr Point frame{240, 300};

struct Geometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The value of "NAME=value" in xdotool's shell-style output, or -1 when missing.
int shellValue(const std::string& output, const std::string& name)
{
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(name + "=")) {
            return std::atoi(line.c_str() + name.size() + 1);
        }
    }
    return -1;
}

Geometry windowGeometry(const std::string& window)
{
    const CommandResult result =
        run({"xdotool", "getwindowgeometry", "--shell", window}, commandDeadline);
    EXPECT_EQ(result.status, 0) << result.output;
    return {shellValue(result.output, "X"), shellValue(result.output, "Y"),
            shellValue(result.output, "WIDTH"), shellValue(result.output, "HEIGHT")};
}

// The screen's width and height, px.
std::pair<int, int> screenSize()
{
    const CommandResult result = run({"xdotool", "getdisplaygeometry"}, commandDeadline);
    EXPECT_EQ(result.status, 0) << result.output;
    std::istringstream fields(result.output);
    std::pair<int, int> size{-1, -1};
    fields >> size.first >> size.second;
    return size;
}

// The window's title as xdotool reads it.
std::string windowName(const std::string& window)
{
    const CommandResult result = run({"xdotool", "getwindowname", window}, commandDeadline);
    EXPECT_EQ(result.status, 0) << result.output;
    return result.output.substr(0, result.output.find('\n'));
}

// True once the window has been destroyed: xdotool then fails with an X error naming it.
bool windowDestroyed(const std::string& window)
{
    return run({"xdotool", "getwindowname", window}, commandDeadline).output.find("BadWindow") !=
           std::string::npos;
}

class SplashEndToEnd : public ProgramTest {
protected:
    // Waits for the main window, and for the splash's window to be destroyed as it is unloaded.
    void expectHandedOver(const std::string& splash)
    {
        EXPECT_FALSE(waitForWindow({"--name", mainWindowName}).empty())
            << "no window named " << mainWindowName << " appeared";
        EXPECT_TRUE(waitUntil([&] { return windowDestroyed(splash); }, effectDeadline))
            << "the splash's window still exists";
    }
};

TEST_F(SplashEndToEnd, SplashIsUntitledAndCentredOnTheScreen)
{
    const std::string splash = startProgram();
    ASSERT_FALSE(splash.empty());

    // The toolkit gives an untitled window the application's name as its _NET_WM_NAME, which
    // xdotool reads before the empty WM_NAME.
    const std::string name = windowName(splash);
    EXPECT_TRUE(name.empty() || name == applicationName) << "the splash is titled " << name;
    const Geometry geometry = windowGeometry(splash);
    EXPECT_EQ(geometry.width, splashWidth);
    EXPECT_EQ(geometry.height, splashHeight);
    const auto [screenWidth, screenHeight] = screenSize();
    EXPECT_NEAR(geometry.x, (screenWidth - splashWidth) / 2.0, centringTolerance);
    EXPECT_NEAR(geometry.y, (screenHeight - splashHeight) / 2.0, centringTolerance);
}

// A fixed thin border from the window manager, no entry in the task bar, and the keyboard focus
// without being clicked, so that the first key press reaches it (a tool window got none).
TEST_F(SplashEndToEnd, SplashHasAThinBorderNoTaskBarEntryAndTheFocus)
{
    const std::string splash = startProgram();
    ASSERT_FALSE(splash.empty());
    EXPECT_TRUE(waitUntil(
        [&] {
            const CommandResult active = run({"xdotool", "getactivewindow"}, commandDeadline);
            return active.output.substr(0, active.output.find('\n')) == splash;
        },
        effectDeadline))
        << "the splash does not have the focus";
    const CommandResult properties =
        run({"xprop", "-id", splash, "_NET_WM_STATE", "_NET_FRAME_EXTENTS"}, commandDeadline);
    ASSERT_EQ(properties.status, 0) << properties.output;
    EXPECT_NE(properties.output.find("_NET_WM_STATE_SKIP_TASKBAR"), std::string::npos)
        << properties.output;
    EXPECT_NE(properties.output.find("_NET_FRAME_EXTENTS(CARDINAL) = 1, 1, 1, 1"),
              std::string::npos)
        << properties.output;
}

TEST_F(SplashEndToEnd, KeyPressBringsUpTheMainWindowAndRemovesTheSplash)
{
    const std::string splash = startProgram();
    ASSERT_FALSE(splash.empty());

    xdotool({"windowfocus", "--sync", splash});
    pressKeys("space");
    expectHandedOver(splash);
}

TEST_F(SplashEndToEnd, ClickOnTheFrameBringsUpTheMainWindowAndRemovesTheSplash)
{
    const std::string splash = startProgram();
    ASSERT_FALSE(splash.empty());

    click(splash, frame);
    expectHandedOver(splash);
}

}  // namespace
