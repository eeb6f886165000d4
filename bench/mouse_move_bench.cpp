// Handling time of one musical-mouse move in modes 1 and 5, and moves per second with painting.
//   scripts/with-test-servers.sh build/bench/mouse_move_bench [moves]
#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "midi/delay.h"
#include "midi/output_devices.h"
#include "platform/toolkit/window_registry.h"
#include "support/recording_devices.h"
#include "support/statistics.h"
#include "windows/main/tessaro1.h"
#include "windows/mouse/zandor.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int defaultMoves = 2000;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void sendMouse(Zandor& mouse, QEvent::Type type, QPointF pixels)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pixels, mouse.mapToGlobal(pixels), button, held, Qt::NoModifier);
    QApplication::sendEvent(&mouse, &event);
}

// A wandering path over the window, so that lines and numbers change at every move.
QPointF pathPoint(int i)
{
    return {300 + 250 * std::sin(i * 0.05), 300 + 200 * std::cos(i * 0.031)};
}

// The busy-waits a move of the mode makes (delay units), timed on their own.
double busyWaitMilliseconds(const std::vector<double>& waits)
{
    const Clock::time_point start = Clock::now();
    for (const double units : waits) {
        midi::delay(units);
    }
    return millisecondsSince(start);
}

// Times each move alone (ms). The mode's busy-waits are timed again right after each move and
// taken off, so that a machine busy with other work shifts both alike.
std::vector<double> moveTimes(Zandor& mouse, int moves, const std::vector<double>& waits)
{
    std::vector<double> times;
    sendMouse(mouse, QEvent::MouseButtonPress, pathPoint(0));
    for (int i = 1; i <= moves; ++i) {
        const Clock::time_point start = Clock::now();
        sendMouse(mouse, QEvent::MouseMove, pathPoint(i));
        const double move = millisecondsSince(start);
        times.push_back(move - (waits.empty() ? 0 : busyWaitMilliseconds(waits)));
    }
    sendMouse(mouse, QEvent::MouseButtonRelease, pathPoint(moves));
    return times;
}

// Moves per second when every move is painted before the next arrives.
double paintedMovesPerSecond(Zandor& mouse, int moves)
{
    sendMouse(mouse, QEvent::MouseButtonPress, pathPoint(0));
    const Clock::time_point start = Clock::now();
    for (int i = 1; i <= moves; ++i) {
        sendMouse(mouse, QEvent::MouseMove, pathPoint(i));
        mouse.repaint();
    }
    QApplication::sync();
    const double seconds = millisecondsSince(start) / 1000;
    sendMouse(mouse, QEvent::MouseButtonRelease, pathPoint(moves));
    return moves / seconds;
}

void report(const char* what, const std::vector<double>& times)
{
    std::printf("%s: median %.4f ms, 99th percentile %.4f ms per move\n", what,
                bench::median(times), bench::percentile(times, 99));
}

}  // namespace

int main(int argc, char* argv[])
{
    // On the X display when there is one, so that painting includes the display server's work.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int moves = argc > 1 ? std::atoi(argv[1]) : defaultMoves;
    testsupport::RecordingDevices devices({"recorder"});
    tessaro1& main = toolkit::WindowRegistry::window<tessaro1>();
    midi::openDevice(0);
    main.Mouse->click();
    Zandor& mouse = *toolkit::WindowRegistry::loaded<Zandor>();

    mouse.Option1[1]->click();
    report("mode 1", moveTimes(mouse, moves, {}));
    std::printf("mode 1 with painting: %.0f moves per second\n",
                paintedMovesPerSecond(mouse, moves));

    mouse.Option1[5]->click();
    const std::vector<double> modeFiveWaits = {3, 3};
    report("mode 5 (its two busy-waits taken off)", moveTimes(mouse, moves / 10, modeFiveWaits));
    std::printf("mode 5 busy-waits alone: %.3f ms per move\n", busyWaitMilliseconds(modeFiveWaits));
    std::printf("messages recorded: %zu\n", devices.messages().size());
    return 0;
}
