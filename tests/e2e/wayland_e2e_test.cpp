// The program on the test servers' Wayland compositor (weston), seen through weston's own list of
// the windows it shows and driven through its seat: the splash without decorations, the hand-over
// on a key press, and the musical mouse opening maximised.
//
// Weston's X11 backend turns the pointer's motion inside its window into relative motion from the
// last position it saw, and takes an absolute position only when the pointer enters its window;
// once weston's pointer and the X pointer disagree, every move inside lands off by the difference.
// So the test brings the pointer in from outside weston's window, on the seat's larger display,
// and checks where weston's own cursor is before it clicks.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>

#include "e2e_support.h"

namespace {

using namespace e2e;

constexpr const char* programPath = VORLIK_PROGRAM_PATH;
constexpr const char* splashTitle = "vorlik";  // Qt titles an untitled window with the app name
constexpr const char* mainTitle = "Quorvel";
constexpr const char* mouseTitle = "Zandor The Musical Mouse";
constexpr int splashWidth = 492;  // px, the splash's own size
constexpr int splashHeight = 368;
constexpr int mainWidth = 734;  // px, the main window's client area
constexpr int mainHeight = 583;
constexpr Point composeButton{580, 492};  // middle of "Compose With Zandor ...", px of the client
// px beyond weston's window on the seat's display, which is larger (scripts/with-test-servers.sh)
constexpr int outsideMargin = 16;
constexpr std::chrono::seconds pointerDeadline{2};  // for weston's cursor to follow the pointer

// A rectangle on the compositor's screen, px: left and top inclusive, right and bottom not.
struct Area {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Area&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Area& area)
{
    return out << "(" << area.left << ", " << area.top << ") -> (" << area.right << ", "
               << area.bottom << ")";
}

bool contains(const Area& area, Point point)
{
    return point.x >= area.left && point.x < area.right && point.y >= area.top &&
           point.y < area.bottom;
}

// One window as weston shows it, with what Qt draws around it.
struct View {
    pid_t pid = 0;
    std::string title;
    std::string appId;
    Area area;
};

// What weston-debug's scene graph says of the screen: the output, the panel, the pointer's
// cursor image (which holds the pointer's hot spot) when one is shown, the windows.
struct Screen {
    Area output;
    Area panel;
    std::optional<Area> cursor;
    std::vector<View> windows;

    std::optional<View> window(pid_t pid, const std::string& title) const
    {
        for (const View& view : windows) {
            if (view.pid == pid && view.title == title) {
                return view;
            }
        }
        return std::nullopt;
    }
};

Area areaIn(const std::string& line)
{
    static const std::regex position(R"(position: \((-?\d+), (-?\d+)\) -> \((-?\d+), (-?\d+)\))");
    std::smatch match;
    if (!std::regex_search(line, match, position)) {
        return {};
    }
    return {std::stoi(match[1]), std::stoi(match[2]), std::stoi(match[3]), std::stoi(match[4])};
}

// Each view's header line is followed by its position.
Screen screen()
{
    static const std::regex toplevel(
        R"(role xdg_toplevel, PID (\d+), .*top-level window '(.*)' of (\S*), 0x)");
    const CommandResult dump = run({"weston-debug", "scene-graph"}, commandDeadline);
    EXPECT_EQ(dump.status, 0) << dump.output;
    Screen screen;
    std::istringstream lines(dump.output);
    for (std::string line, header; std::getline(lines, line); header = line) {
        std::smatch match;
        if (header.starts_with("Output 0 ")) {
            screen.output = areaIn(line);
        } else if (header.find("panel for output") != std::string::npos) {
            screen.panel = areaIn(line);
        } else if (header.find("role wl_pointer-cursor,") != std::string::npos) {
            screen.cursor = areaIn(line);
        } else if (std::regex_search(header, match, toplevel)) {
            screen.windows.push_back({std::stoi(match[1]), match[2], match[3], areaIn(line)});
        }
    }
    return screen;
}

class WaylandEndToEnd : public testing::Test {
protected:
    // The program and the tools it runs here find weston by these; xdotool drives its seat.
    void SetUp() override
    {
        const char* wayland = std::getenv("VORLIK_WAYLAND_DISPLAY");
        const char* seat = std::getenv("VORLIK_WAYLAND_SEAT_DISPLAY");
        if (wayland == nullptr || seat == nullptr) {
            if (std::getenv("VORLIK_TEST_SERVERS") != nullptr) {
                FAIL() << "the test servers started no Wayland compositor";
            }
            GTEST_SKIP() << "no Wayland compositor: run under scripts/with-test-servers.sh";
        }
        setenv("WAYLAND_DISPLAY", wayland, 1);
        setenv("DISPLAY", seat, 1);
        setenv("QT_QPA_PLATFORM", "wayland", 1);
        log_ = std::filesystem::temp_directory_path() /
               ("vorlik-wayland-e2e." + std::to_string(getpid()) + ".log");
    }

    void TearDown() override
    {
        if (program_ != 0) {
            kill(program_, SIGKILL);
            waitpid(program_, nullptr, 0);
        }
        if (HasFailure()) {
            std::ifstream log(log_);
            std::fprintf(stderr, "output of %s:\n%s\n", programPath,
                         std::string(std::istreambuf_iterator<char>(log), {}).c_str());
        }
        std::filesystem::remove(log_);
    }

    // Starts the program, its output going to the log; its splash as weston shows it.
    std::optional<View> startProgram()
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log_.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        char* const argv[] = {const_cast<char*>(programPath), nullptr};
        const int error = posix_spawn(&program_, programPath, &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(error, 0) << "cannot start " << programPath;
        return error == 0 ? window(splashTitle, startDeadline) : std::nullopt;
    }

    // The program's window with this title once weston shows it.
    std::optional<View> window(const std::string& title,
                               std::chrono::milliseconds deadline = effectDeadline)
    {
        std::optional<View> found;
        waitUntil([&] { return (found = screen().window(program_, title)).has_value(); }, deadline);
        EXPECT_TRUE(found) << "weston shows no window titled '" << title << "'";
        return found;
    }

    // Puts weston's pointer on this point of its screen: in from beyond the bottom-right corner
    // of weston's window, so that weston takes the position whole. False, saying where weston's
    // pointer is instead, when its cursor does not come to hold the point.
    bool pointAt(Point point)
    {
        const Area output = screen().output;
        xdotool({"mousemove", std::to_string(output.right + outsideMargin),
                 std::to_string(output.bottom + outsideMargin)});
        xdotool({"mousemove", std::to_string(point.x), std::to_string(point.y)});
        std::optional<Area> cursor;
        if (waitUntil([&] { return (cursor = screen().cursor) && contains(*cursor, point); },
                      pointerDeadline)) {
            return true;
        }
        std::ostringstream where;
        where << "weston's pointer is not where the test put it, (" << point.x << ", " << point.y
              << "): its cursor is ";
        if (cursor) {
            where << "at " << *cursor;
        } else {
            where << "not shown";
        }
        ADD_FAILURE() << where.str();
        return false;
    }

    bool gone(const std::string& title)
    {
        return waitUntil([&] { return !screen().window(program_, title); }, effectDeadline);
    }

    // Past the splash with a key press; the main window as weston shows it.
    std::optional<View> startAtMainWindow()
    {
        if (!startProgram()) {
            return std::nullopt;
        }
        pressKeys("space");
        return window(mainTitle, startDeadline);
    }

    pid_t program_ = 0;
    std::string log_;
};

// No title bar or border around the splash: weston shows exactly its 492 x 368 px; its app id
// names the desktop entry; a key press hands over, with the splash gone.
TEST_F(WaylandEndToEnd, SplashHasItsOwnSizeAndAKeyPressHandsOver)
{
    const std::optional<View> splash = startProgram();
    ASSERT_TRUE(splash);
    EXPECT_EQ(splash->area.width(), splashWidth) << splash->area;
    EXPECT_EQ(splash->area.height(), splashHeight) << splash->area;
    EXPECT_EQ(splash->appId, "vorlik");

    pressKeys("space");
    EXPECT_TRUE(window(mainTitle));
    EXPECT_TRUE(gone(splashTitle)) << "the splash is still shown";
}

// Qt draws the main window's title bar itself, with equal borders on the other three sides, so
// the button lies that far inside what weston shows. Maximised, the musical mouse takes the whole
// output below weston's panel.
TEST_F(WaylandEndToEnd, ComposeOpensTheMusicalMouseMaximised)
{
    const std::optional<View> main = startAtMainWindow();
    ASSERT_TRUE(main);
    const int side = (main->area.width() - mainWidth) / 2;
    const int top = main->area.height() - mainHeight - side;
    ASSERT_TRUE(pointAt(
        {main->area.left + side + composeButton.x, main->area.top + top + composeButton.y}));
    xdotool({"click", "1"});

    const std::optional<View> mouse = window(mouseTitle);
    ASSERT_TRUE(mouse);
    const Screen shown = screen();
    EXPECT_EQ(mouse->area, (Area{shown.output.left, shown.panel.bottom, shown.output.right,
                                 shown.output.bottom}));
}

}  // namespace
