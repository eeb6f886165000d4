// The noise machine's ten voices at 30 ms, with the channel-1 player at 30 ms too: how evenly
// each voice's notes reach a JACK capture client (in another process), and the CPU it takes.
//   scripts/with-test-servers.sh build/bench/noise_bench [seconds]
#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "capture_child.h"
#include "guarded_main.h"
#include "jack_output_device.h"
#include "platform/toolkit/window_registry.h"
#include "run_events.h"
#include "support/statistics.h"
#include "windows/noise/form1.h"

namespace {

constexpr int defaultSeconds = 20;
constexpr int interval = 30;  // ms, for every voice and the player
constexpr const char* captureName = "noise-bench-capture";

struct Arrival {
    std::uint64_t microseconds;
    std::vector<int> bytes;
};

// The capture client runs as a child process; a thread keeps its output pipe drained.
class CaptureProcess {
public:
    explicit CaptureProcess(int seconds)
    {
        bench::CaptureChild child = bench::startCapture(MIDI_CAPTURE_PATH, captureName, seconds);
        pipe_ = child.pipe;
        port_ = std::move(child.port);
        reader_ = std::thread([this] { readArrivals(); });
    }

    ~CaptureProcess()
    {
        reader_.join();
        if (pipe_ != nullptr) {
            pclose(pipe_);
        }
    }

    const std::string& port() const { return port_; }
    // Waits for the client to finish its run; then every arrival is in.
    std::vector<Arrival> arrivals()
    {
        reader_.join();
        reader_ = std::thread([] {});
        return arrivals_;
    }

private:
    void readArrivals()
    {
        char line[256];
        while (pipe_ != nullptr && std::fgets(line, sizeof line, pipe_) != nullptr) {
            std::istringstream fields(line);
            Arrival arrival{};
            fields >> arrival.microseconds;
            int byte = 0;
            while (fields >> std::hex >> byte) {
                arrival.bytes.push_back(byte);
            }
            arrivals_.push_back(std::move(arrival));
        }
    }

    FILE* pipe_ = nullptr;
    std::string port_;
    std::thread reader_;
    std::vector<Arrival> arrivals_;
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A voice's note-ons, by channel; the player's note-ons on channel 1 are told apart by the
// program change 0 that follows them at once (within a millisecond, should a JACK cycle begin
// between the two).
std::map<int, std::vector<std::uint64_t>> voiceNoteOns(const std::vector<Arrival>& arrivals)
{
    std::map<int, std::vector<std::uint64_t>> byChannel;
    for (std::size_t i = 0; i < arrivals.size(); ++i) {
        const std::vector<int>& bytes = arrivals[i].bytes;
        if (bytes.empty() || (bytes[0] & 0xF0) != 0x90) {
            continue;
        }
        const bool player = bytes[0] == 0x91 && i + 1 < arrivals.size() &&
                            arrivals[i + 1].bytes == std::vector<int>{0xC0, 0x00} &&
                            arrivals[i + 1].microseconds - arrivals[i].microseconds < 1000;
        if (!player) {
            byChannel[bytes[0] & 0x0F].push_back(arrivals[i].microseconds);
        }
    }
    return byChannel;
}

void report(const std::map<int, std::vector<std::uint64_t>>& byChannel)
{
    std::vector<double> all;
    for (const auto& [channel, times] : byChannel) {
        std::vector<double> deviations;
        for (std::size_t i = 1; i < times.size(); ++i) {
            deviations.push_back(
                std::abs(static_cast<double>(times[i] - times[i - 1]) / 1000.0 - interval));
        }
        all.insert(all.end(), deviations.begin(), deviations.end());
        std::printf(
            "voice %d: %zu notes, deviation from %d ms median %.3f ms, 99th percentile "
            "%.3f ms\n",
            channel, times.size(), interval, bench::median(deviations),
            bench::percentile(deviations, 99));
    }
    std::printf("all voices: median %.3f ms, 99th percentile %.3f ms, largest %.3f ms\n",
                bench::median(all), bench::percentile(all, 99), bench::percentile(all, 100));
}

}  // namespace

int main(int argc, char* argv[])
{
    return bench::guardedMain("noise_bench", [&] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        const int seconds = argc > 1 ? std::atoi(argv[1]) : defaultSeconds;
        CaptureProcess capture(seconds + 5);
        if (capture.port().empty()) {
            std::fprintf(stderr, "noise_bench: the capture client did not start\n");
            return 1;
        }
        tessaro1& main = toolkit::WindowRegistry::window<tessaro1>();
        bench::openCapturePort(main, capture.port());
        main.Noise->click();
        Form1& noise = *toolkit::WindowRegistry::loaded<Form1>();

        const double cpuBefore = cpuSeconds();
        noise.Command6->click();
        main.Channel1->click();
        bench::runFor(seconds);
        noise.Command3->click();
        main.Channel1->click();
        const double cpu = cpuSeconds() - cpuBefore;

        report(voiceNoteOns(capture.arrivals()));
        std::printf("CPU: %.2f s in %d s, %.2f %% of one core\n", cpu, seconds,
                    100 * cpu / seconds);
        return 0;
    });
}
