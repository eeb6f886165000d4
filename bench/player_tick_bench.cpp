// The channel-1 player's tick spacing as a JACK capture client receives it, at 30 and 500 ms.
//   scripts/with-test-servers.sh build/bench/player_tick_bench [ticks]
#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "guarded_main.h"
#include "jack_output_device.h"
#include "platform/toolkit/window_registry.h"
#include "support/jack_capture.h"
#include "support/statistics.h"

namespace {

constexpr int defaultTicks = 200;
constexpr int intervals[] = {30, 500};  // ms
constexpr std::uint8_t playerNoteOn = 0x91;
constexpr int pollInterval = 100;  // ms

// Arrival times (µs) of the player's note-ons.
std::vector<std::uint64_t> noteOnTimes(testsupport::JackCapture& capture)
{
    std::vector<std::uint64_t> times;
    for (const testsupport::CapturedEvent& event : capture.events()) {
        if (!event.bytes.empty() && event.bytes[0] == playerNoteOn) {
            times.push_back(event.microseconds);
        }
    }
    return times;
}

void measure(tessaro1& main, testsupport::JackCapture& capture, int interval, int ticks)
{
    capture.takeEvents();
    main.Channel1T->setValue(interval);
    main.Channel1->click();
    QEventLoop loop;
    QTimer poll;
    poll.callOnTimeout([&] {
        if (noteOnTimes(capture).size() > static_cast<std::size_t>(ticks)) {
            loop.quit();
        }
    });
    poll.start(pollInterval);
    loop.exec();
    main.Channel1->click();
    const std::vector<std::uint64_t> times = noteOnTimes(capture);
    std::vector<double> deviations;
    for (std::size_t i = 1; i < times.size(); ++i) {
        const double spacing = static_cast<double>(times[i] - times[i - 1]) / 1000;
        deviations.push_back(std::abs(spacing - interval));
    }
    std::printf(
        "interval %4d ms, %zu ticks: deviation from the interval median %.3f ms, "
        "99th percentile %.3f ms, largest %.3f ms\n",
        interval, deviations.size(), bench::median(deviations), bench::percentile(deviations, 99),
        bench::percentile(deviations, 100));
}

}  // namespace

int main(int argc, char* argv[])
{
    return bench::guardedMain("player_tick_bench", [&] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        const int ticks = argc > 1 ? std::atoi(argv[1]) : defaultTicks;
        std::string error;
        auto capture = testsupport::JackCapture::open("bench-capture", &error);
        if (!capture) {
            std::fprintf(stderr, "player_tick_bench: %s\n", error.c_str());
            return 1;
        }
        tessaro1& main = toolkit::WindowRegistry::window<tessaro1>();
        bench::openCapturePort(main, capture->portName());
        for (const int interval : intervals) {
            measure(main, *capture, interval, ticks);
        }
        return 0;
    });
}
