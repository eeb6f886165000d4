// The noise machine's ten voices and the channel-1 player at 30 ms for a long run, sending to a
// JACK capture client in another process, with the program's resident memory sampled as it goes.
//   scripts/with-test-servers.sh build-asan/bench/soak_bench [minutes] [sample seconds]
#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "capture_child.h"
#include "guarded_main.h"
#include "jack_output_device.h"
#include "platform/toolkit/window_registry.h"
#include "run_events.h"
#include "windows/noise/form1.h"

namespace {

constexpr int defaultMinutes = 10;
constexpr int defaultSampleSeconds = 30;
constexpr double kiBPerMiB = 1024;
constexpr const char* captureName = "soak-bench-capture";

// The capture client runs as a child process; a thread counts the events it prints, so that
// nothing received piles up in this process.
class CountingCapture {
public:
    explicit CountingCapture(int seconds)
    {
        bench::CaptureChild child = bench::startCapture(MIDI_CAPTURE_PATH, captureName, seconds);
        pipe_ = child.pipe;
        port_ = std::move(child.port);
        reader_ = std::thread([this] {
            char event[256];
            while (pipe_ != nullptr && std::fgets(event, sizeof event, pipe_) != nullptr) {
                ++events_;
            }
        });
    }

    ~CountingCapture()
    {
        reader_.join();
        if (pipe_ != nullptr) {
            pclose(pipe_);
        }
    }
    CountingCapture(const CountingCapture&) = delete;
    CountingCapture& operator=(const CountingCapture&) = delete;

    const std::string& port() const { return port_; }
    long events() const { return events_.load(); }

private:
    FILE* pipe_ = nullptr;
    std::string port_;
    std::thread reader_;
    std::atomic<long> events_{0};
};

double residentMiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) {
            return std::atof(line.c_str() + 6) / kiBPerMiB;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    return bench::guardedMain("soak_bench", [&] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        const int minutes = argc > 1 ? std::atoi(argv[1]) : defaultMinutes;
        const int sampleSeconds = argc > 2 ? std::atoi(argv[2]) : defaultSampleSeconds;
        CountingCapture capture(minutes * 60 + 30);
        if (capture.port().empty()) {
            std::fprintf(stderr, "soak_bench: the capture client did not start\n");
            return 1;
        }
        tessaro1& main = toolkit::WindowRegistry::window<tessaro1>();
        bench::openCapturePort(main, capture.port());
        main.Noise->click();
        Form1& noise = *toolkit::WindowRegistry::loaded<Form1>();
        noise.Command6->click();
        main.Channel1->click();

        std::vector<double> samples{residentMiB()};
        std::printf("0 s: resident %.1f MiB\n", samples.back());
        for (int elapsed = sampleSeconds; elapsed <= minutes * 60; elapsed += sampleSeconds) {
            bench::runFor(sampleSeconds);
            samples.push_back(residentMiB());
            std::printf("%d s: resident %.1f MiB, %ld events received\n", elapsed, samples.back(),
                        capture.events());
            std::fflush(stdout);
        }
        noise.Command3->click();
        main.Channel1->click();
        const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
        std::printf(
            "resident memory over %d min: lowest %.1f MiB, highest %.1f MiB, spread %.1f MiB\n",
            minutes, *low, *high, *high - *low);
        return 0;
    });
}
