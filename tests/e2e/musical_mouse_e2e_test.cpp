// The musical mouse window, dragged across with the left button held, plays the pointer's path as
// program changes and notes, draws it, and silences every channel when the button is released.
#include <QImage>
#include <QString>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

using namespace e2e;

constexpr Point mouseButton{580, 492};  // main window's "Compose With ..." (456, 440, 249, 105)
constexpr const char* mouseWindowName = "^Zandor The Musical Mouse$";
constexpr Point modeOneOption{172, 128};  // "#1" (112, 120, 121, 17)

// A title bar and frame borders take at most this from a maximised window's size, px.
constexpr int decorationAllowance = 100;

constexpr int twipsPerPixel = 15;
constexpr int fold = 127;           // a coordinate in twips is folded to its remainder, 0 to 126
constexpr int startingProgram = 1;  // the main window's program bar, 1 to 128, at start
constexpr std::uint8_t programChangeStatus = 0xC0;  // channel 0
constexpr std::uint8_t noteOnStatus = 0x91;         // channel 1
constexpr std::uint8_t velocity = 0x40;

// Where the button goes down, then each point the pointer moves to with it held, px: away from
// the controls, which keep their clicks. Every point gives a different program and note; y = 508
// (7620 twips) folds to program 0, which leaves the program bar at 1 for the next point.
constexpr Point strokeStart{640, 420};
constexpr Point strokePoints[] = {{700, 460}, {760, 508}, {820, 560},
                                  {900, 600}, {980, 660}, {1060, 700}};

constexpr QRgb lineColour = qRgb(0, 192, 192);
constexpr int sampleStep = 4;               // px between the pixels checked along a drawn line
constexpr Point farFromTheLine{1500, 900};  // px; the stroke's 10-px line never reaches it

struct Size {
    int width = 0;
    int height = 0;
};

// WIDTH and HEIGHT from the output of an xdotool command given --shell; empty on failure.
std::optional<Size> shellSize(const std::vector<std::string>& command)
{
    const CommandResult result = run(command, commandDeadline);
    std::optional<int> width;
    std::optional<int> height;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("WIDTH=")) {
            width = std::atoi(line.c_str() + 6);
        } else if (line.starts_with("HEIGHT=")) {
            height = std::atoi(line.c_str() + 7);
        }
    }
    if (result.status != 0 || !width || !height) {
        return std::nullopt;
    }
    return Size{*width, *height};
}

bool fillsTheScreen(Size window, Size screen)
{
    const auto fills = [](int length, int screenLength) {
        return length <= screenLength && length > screenLength - decorationAllowance;
    };
    return fills(window.width, screen.width) && fills(window.height, screen.height);
}

int folded(int pixels)
{
    return pixels * twipsPerPixel % fold;
}

std::string programChange(int program)
{
    return hexText({programChangeStatus, static_cast<std::uint8_t>(program)});
}

// What a move to the point sends while the program bar stands at bar: the point's program, the
// bar's own program as it is set to 1 and then to the point's program + 1 (each only when the
// bar moves), then the point's note.
std::vector<std::string> moveMessages(Point at, int bar)
{
    const int program = folded(at.y);
    std::vector<std::string> messages = {programChange(program)};
    if (bar != startingProgram) {
        messages.push_back(programChange(startingProgram));
    }
    if (program + 1 != startingProgram) {
        messages.push_back(programChange(program + 1));
    }
    messages.push_back(hexText({noteOnStatus, static_cast<std::uint8_t>(folded(at.x)), velocity}));
    return messages;
}

struct FollowedStroke {
    std::vector<Point> reached;  // the points whose messages arrived, in order
    std::size_t matched = 0;     // messages accounted for by them, from the first
};

// Qt merges pointer moves that queue up while it is busy, so on a loaded machine a point may send
// nothing at all; the messages are therefore followed through the points in order, each point
// either sending exactly its messages or none, with the bar where the last point reached left it.
FollowedStroke followStroke(const std::vector<std::string>& messages)
{
    FollowedStroke stroke;
    int bar = startingProgram;
    for (const Point& point : strokePoints) {
        const std::vector<std::string> expected = moveMessages(point, bar);
        const auto from = messages.begin() + static_cast<std::ptrdiff_t>(stroke.matched);
        if (messages.size() - stroke.matched >= expected.size() &&
            std::equal(expected.begin(), expected.end(), from)) {
            stroke.matched += expected.size();
            stroke.reached.push_back(point);
            bar = folded(point.y) + 1;
        }
    }
    return stroke;
}

void moveTo(const std::string& window, Point point)
{
    xdotool({"mousemove", "--window", window, std::to_string(point.x), std::to_string(point.y)});
}

// Each xdotool action is followed by a pause, so that Qt sees the moves one by one.
void drag(const std::string& window)
{
    moveTo(window, strokeStart);
    xdotool({"mousedown", "1"});
    for (const Point& point : strokePoints) {
        moveTo(window, point);
    }
    xdotool({"mouseup", "1"});
}

// The first pixel, sampled along the lines from one point to the next, not in the line colour.
std::optional<Point> firstPixelOffTheLine(const QImage& image, const std::vector<Point>& path)
{
    for (std::size_t i = 1; i < path.size(); ++i) {
        const Point from = path[i - 1];
        const Point to = path[i];
        const int length = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
        const int samples = std::max(1, length / sampleStep);
        for (int s = 0; s <= samples; ++s) {
            const Point at{from.x + (to.x - from.x) * s / samples,
                           from.y + (to.y - from.y) * s / samples};
            if (image.pixel(at.x, at.y) != lineColour) {
                return at;
            }
        }
    }
    return std::nullopt;
}

// A PNG file kept after the test, for a person to look at.
std::string newScreenshotPath()
{
    std::string path = std::filesystem::temp_directory_path() / "vorlik-musical-mouse-XXXXXX.png";
    const int fd = mkstemps(path.data(), 4);
    if (fd < 0) {
        return {};
    }
    close(fd);
    return path;
}

// Waits for the window to take the whole screen but its decorations.
testing::AssertionResult maximised(const std::string& window)
{
    const std::optional<Size> screen = shellSize({"xdotool", "getdisplaygeometry", "--shell"});
    if (!screen) {
        return testing::AssertionFailure() << "xdotool cannot tell the screen's size";
    }
    std::optional<Size> size;
    const bool filled = waitUntil(
        [&] {
            size = shellSize({"xdotool", "getwindowgeometry", "--shell", window});
            return size && fillsTheScreen(*size, *screen);
        },
        effectDeadline);
    if (filled) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << "the window is " << (size ? size->width : 0) << "x" << (size ? size->height : 0)
           << " px on a " << screen->width << "x" << screen->height << " px screen";
}

std::vector<std::string> messagesThroughAllNotesOff(testsupport::JackCapture& capture)
{
    std::vector<std::string> messages;
    for (const testsupport::CapturedEvent& event : eventsThroughAllNotesOff(capture)) {
        messages.push_back(hexText(event.bytes));
    }
    return messages;
}

bool samePoint(Point a, Point b)
{
    return a.x == b.x && a.y == b.y;
}

// The moves' messages, once the release's all-notes-off have been checked and taken off the end.
std::vector<std::string> movesBeforeTheRelease(const std::vector<std::string>& messages)
{
    const std::vector<std::string> silence = allNotesOffOnEveryChannel();
    if (messages.size() < silence.size()) {
        ADD_FAILURE() << "received only " << testing::PrintToString(messages);
        return messages;
    }
    const auto release = messages.end() - static_cast<std::ptrdiff_t>(silence.size());
    EXPECT_EQ(std::vector<std::string>(release, messages.end()), silence)
        << "the release did not end with exactly the all-notes-off; received "
        << testing::PrintToString(messages);
    return {messages.begin(), release};
}

struct StrokeScreenshot {
    QImage image;              // null when no screenshot could be taken
    std::optional<Point> off;  // the first pixel along the stroke not in the line colour
};

class MusicalMouseEndToEnd : public ProgramTest {
protected:
    // Screenshots of the window, saved at path, until the whole stroke shows in the line colour
    // or the deadline passes; the last one.
    StrokeScreenshot screenshotOfStroke(const std::string& window, const std::string& path,
                                        const std::vector<Point>& stroke) const
    {
        StrokeScreenshot shot;
        waitUntil(
            [&] {
                shot.off.reset();
                if (screenshot(window, path) && shot.image.load(QString::fromStdString(path))) {
                    shot.off = firstPixelOffTheLine(shot.image, stroke);
                }
                return !shot.image.isNull() && !shot.off;
            },
            effectDeadline);
        return shot;
    }
};

TEST_F(MusicalMouseEndToEnd, ADragInModeOnePlaysAndDrawsThePointersPath)
{
    const std::string mainWindowId = startAtCaptureDevice();
    ASSERT_FALSE(mainWindowId.empty());
    click(mainWindowId, mouseButton);
    const std::string window = waitForWindow({"--name", mouseWindowName});
    ASSERT_FALSE(window.empty()) << "no window named " << mouseWindowName << " appeared";
    ASSERT_TRUE(maximised(window));

    click(window, modeOneOption);
    EXPECT_TRUE(received(*capture_).empty()) << "choosing the mode sent messages";
    drag(window);
    const std::vector<std::string> moves =
        movesBeforeTheRelease(messagesThroughAllNotesOff(*capture_));

    // The release follows the last move, so Qt cannot merge that one away; a stroke that lost
    // more than half its points would be more than a busy machine explains.
    const FollowedStroke stroke = followStroke(moves);
    const std::size_t pointCount = std::size(strokePoints);
    EXPECT_EQ(stroke.matched, moves.size()) << "received " << testing::PrintToString(moves);
    ASSERT_FALSE(stroke.reached.empty()) << "no move was played";
    EXPECT_TRUE(samePoint(stroke.reached.back(), strokePoints[pointCount - 1]))
        << "the last move was not played";
    EXPECT_GE(stroke.reached.size() * 2, pointCount)
        << "only " << stroke.reached.size() << " of " << pointCount << " points were played";

    std::vector<Point> path = {strokeStart};
    path.insert(path.end(), stroke.reached.begin(), stroke.reached.end());
    const std::string screenshotPath = newScreenshotPath();
    ASSERT_FALSE(screenshotPath.empty()) << "cannot make a file for the screenshot";
    RecordProperty("screenshot", screenshotPath);
    std::printf("screenshot of the drawn stroke: %s\n", screenshotPath.c_str());
    const StrokeScreenshot shot = screenshotOfStroke(window, screenshotPath, path);
    ASSERT_FALSE(shot.image.isNull()) << "no screenshot of the window";
    EXPECT_FALSE(shot.off) << "pixel (" << shot.off->x << ", " << shot.off->y
                           << ") is not in the line colour";
    EXPECT_NE(shot.image.pixel(farFromTheLine.x, farFromTheLine.y), lineColour)
        << "the line colour reaches far from the stroke";
}

}  // namespace
