// How fast the program shows its splash and, after a key press, its main window, and its peak
// memory by then, over repeated starts of the built program; beside it, how fast the smallest
// Qt 6 program (one button) maps its window, started in turn with it:
//   scripts/with-test-servers.sh build/bench/startup_bench [runs] [ms before the key]
// The key is pressed as soon as the splash is mapped, or after the pause given, as a person who
// reads the splash first would.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/statistics.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int defaultRuns = 10;
constexpr double kiBPerMiB = 1024;
constexpr const char* programPath = VORLIK_PROGRAM_PATH;
constexpr const char* oneButtonPath = ONE_BUTTON_PATH;
constexpr const char* mainWindowName = "Quorvel";
constexpr std::chrono::seconds windowDeadline{30};  // for either window to be mapped
constexpr int pollMilliseconds = 100;               // between checks that the program still runs
constexpr std::chrono::seconds stopGrace{5};        // between SIGTERM and SIGKILL

// A window can be destroyed between its event and a look at its properties; the look then fails
// and the window is skipped, rather than the default handler ending the benchmark.
int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

struct Run {
    double splashMs = 0;  // from spawn to the splash's MapNotify
    double mainMs = 0;    // from the key press to the main window's MapNotify
    double peakKiB = 0;   // VmHWM once the main window is mapped
    double ownKiB = 0;    // RssAnon + RssFile then: resident, less memory shared with JACK
};

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A program, with its output discarded, so that its messages do not mix with the figures.
std::optional<pid_t> spawnProgram(const char* path)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    char* argv[] = {const_cast<char*>(path), nullptr};
    pid_t pid = 0;
    const int error = posix_spawn(&pid, path, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? std::optional(pid) : std::nullopt;
}

// The process that owns a window, from the _NET_WM_PID property the toolkit sets; 0 if unset.
pid_t windowPid(Display* display, Window window)
{
    const Atom property = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    pid_t pid = 0;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_CARDINAL, &type, &format,
                           &items, &remaining, &data) == Success &&
        data != nullptr && format == 32 && items == 1) {
        pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
    }
    XFree(data);
    return pid;
}

std::string windowName(Display* display, Window window)
{
    char* name = nullptr;
    std::string text;
    if (XFetchName(display, window, &name) != 0 && name != nullptr) {
        text = name;
    }
    XFree(name);
    return text;
}

bool exited(pid_t pid)
{
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

bool viewable(Display* display, Window window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

// A window just mapped, or just created and mapped already, from one event; else None. A new
// top-level window is asked for its own structure events at once: a window manager reparents it
// into a frame before mapping it, after which its mapping no longer reaches the root window.
Window mappedWindow(Display* display, const XEvent& event)
{
    if (event.type == MapNotify) {
        return event.xmap.window;
    }
    if (event.type == CreateNotify && event.xcreatewindow.parent == DefaultRootWindow(display)) {
        const Window window = event.xcreatewindow.window;
        XSelectInput(display, window, StructureNotifyMask);
        return viewable(display, window) ? window : None;
    }
    return None;
}

// Waits for the program's next top-level window to be mapped, one whose name satisfies the test;
// that window, or None when the program ends or the deadline passes first.
template <class NameTest>
Window waitForMap(Display* display, pid_t pid, NameTest nameTest)
{
    const auto end = Clock::now() + windowDeadline;
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    while (Clock::now() < end) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            const Window window = mappedWindow(display, event);
            if (window != None && windowPid(display, window) == pid &&
                nameTest(windowName(display, window))) {
                return window;
            }
        }
        if (exited(pid)) {
            return None;
        }
        poll(&connection, 1, pollMilliseconds);
    }
    return None;
}

// A space typed on the window, as a key press and release sent to it.
void typeSpace(Display* display, Window window)
{
    XKeyEvent key{};
    key.display = display;
    key.window = window;
    key.root = DefaultRootWindow(display);
    key.subwindow = None;
    key.time = CurrentTime;
    key.same_screen = True;
    key.keycode = XKeysymToKeycode(display, XK_space);
    key.type = KeyPress;
    XSendEvent(display, window, True, KeyPressMask, reinterpret_cast<XEvent*>(&key));
    key.type = KeyRelease;
    XSendEvent(display, window, True, KeyReleaseMask, reinterpret_cast<XEvent*>(&key));
    XFlush(display);
}

// One "Field:  123 kB" figure of the process's /proc status, KiB; 0 when unreadable.
double statusKiB(pid_t pid, const std::string& field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    const std::string prefix = field + ":";
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(prefix)) {
            return std::atof(line.c_str() + prefix.size());
        }
    }
    return 0;
}

// Asks the program to end and reaps it, killing it should it outlive the grace period.
void stop(pid_t pid)
{
    kill(pid, SIGTERM);
    const auto end = Clock::now() + stopGrace;
    while (!exited(pid)) {
        if (Clock::now() >= end) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMilliseconds));
    }
}

// A program started and how long after its spawn its first window was mapped; window is None
// when none was in time.
struct Started {
    pid_t pid;
    Window window;
    double ms;
};

// Empty, having said so, when the program could not be started.
std::optional<Started> startToFirstWindow(Display* display, const char* path)
{
    const auto spawned = Clock::now();
    const std::optional<pid_t> pid = spawnProgram(path);
    if (!pid) {
        std::fprintf(stderr, "startup_bench: cannot start %s\n", path);
        return std::nullopt;
    }
    const Window window = waitForMap(display, *pid, [](const std::string&) { return true; });
    return Started{*pid, window, millisecondsSince(spawned)};
}

// One start of the program; empty when a window did not appear.
std::optional<Run> measureOnce(Display* display, std::chrono::milliseconds reading)
{
    const std::optional<Started> started = startToFirstWindow(display, programPath);
    if (!started) {
        return std::nullopt;
    }
    const pid_t pid = started->pid;
    if (started->window == None) {
        std::fprintf(stderr, "startup_bench: no splash window\n");
        stop(pid);
        return std::nullopt;
    }
    Run run;
    run.splashMs = started->ms;
    std::this_thread::sleep_for(reading);
    const auto pressed = Clock::now();
    typeSpace(display, started->window);
    const Window mainWindow =
        waitForMap(display, pid, [](const std::string& name) { return name == mainWindowName; });
    run.mainMs = millisecondsSince(pressed);
    run.peakKiB = statusKiB(pid, "VmHWM");
    run.ownKiB = statusKiB(pid, "RssAnon") + statusKiB(pid, "RssFile");
    stop(pid);
    if (mainWindow == None) {
        std::fprintf(stderr, "startup_bench: no window named %s\n", mainWindowName);
        return std::nullopt;
    }
    return run;
}

// One start of the one-button program: spawn to its window mapped, ms; empty when it did not map.
std::optional<double> measureOneButton(Display* display)
{
    const std::optional<Started> started = startToFirstWindow(display, oneButtonPath);
    if (!started) {
        return std::nullopt;
    }
    stop(started->pid);
    if (started->window == None) {
        std::fprintf(stderr, "startup_bench: the one-button program mapped no window\n");
        return std::nullopt;
    }
    return started->ms;
}

void report(const char* what, const std::vector<double>& values, const char* unit)
{
    std::printf("%s: median %.1f %s, worst %.1f %s\n", what, bench::median(values), unit,
                bench::percentile(values, 100), unit);
}

}  // namespace

int main(int argc, char* argv[])
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : defaultRuns;
    const std::chrono::milliseconds reading{argc > 2 ? std::atoi(argv[2]) : 0};
    const DisplayHandle display(XOpenDisplay(nullptr));
    if (!display) {
        std::fprintf(stderr, "startup_bench: no X display\n");
        return 1;
    }
    XSetErrorHandler(ignoreError);
    // Every top-level window's creation and mapping is reported, from before the program starts.
    XSelectInput(display.get(), DefaultRootWindow(display.get()), SubstructureNotifyMask);
    XSync(display.get(), True);

    std::vector<double> splash;
    std::vector<double> oneButton;
    std::vector<double> mainWindow;
    std::vector<double> memory;
    std::vector<double> ownMemory;
    for (int i = 0; i < runs; ++i) {
        const std::optional<Run> run = measureOnce(display.get(), reading);
        const std::optional<double> anchor = measureOneButton(display.get());
        if (!run || !anchor) {
            return 1;
        }
        oneButton.push_back(*anchor);
        splash.push_back(run->splashMs);
        mainWindow.push_back(run->mainMs);
        memory.push_back(run->peakKiB / kiBPerMiB);
        ownMemory.push_back(run->ownKiB / kiBPerMiB);
    }
    std::printf("%d runs of %s\n", runs, programPath);
    report("spawn to splash mapped", splash, "ms");
    report("spawn to the one-button program's window mapped", oneButton, "ms");
    std::printf("splash against one button: %.2f x (medians)\n",
                bench::median(splash) / bench::median(oneButton));
    report("key press to main window mapped", mainWindow, "ms");
    report("peak memory (VmHWM) at the main window", memory, "MiB");
    // The peak counts the JACK server's shared memory, which a JACK client maps whole.
    report("resident then, less shared memory (RssAnon + RssFile)", ownMemory, "MiB");
    return 0;
}
