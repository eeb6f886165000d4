// What device 0 costs while open and silent, on the PulseAudio and on the JACK server, beside the
// fluidsynth program with its defaults on each: CPU share of one core and wakeups per second
// (context switches of all threads), after the synth has been silent long enough to rest.
//   scripts/with-test-servers.sh build/bench/synth_idle_bench [runs]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "builtin_synth_on.h"
#include "fluidsynth_program.h"
#include "process_load.h"
#include "support/statistics.h"

namespace {

using namespace std::chrono_literals;

constexpr int defaultRuns = 5;
// Past the synth's 2 s tail hold after opening, and the program's start-up.
constexpr auto settle = 3s;
constexpr auto window = 4s;
const std::vector<std::string> outputs = {"pulseaudio", "jack"};

struct Figures {
    std::vector<double> cpuPercent;
    std::vector<double> wakeupsPerSecond;

    void add(const bench::IdleCost& cost)
    {
        cpuPercent.push_back(cost.cpuPercent);
        wakeupsPerSecond.push_back(cost.wakeupsPerSecond);
    }
};

bench::IdleCost device0Idle(const std::string& output)
{
    const auto synth = bench::openBuiltinSynthOn(output);
    std::this_thread::sleep_for(settle);
    return bench::idleCost(getpid(), window, true);
}

bench::IdleCost programIdle(const std::string& output)
{
    const bench::FluidsynthProgram program(output);
    std::this_thread::sleep_for(settle);
    if (!program.running()) {
        throw std::runtime_error("the fluidsynth program did not keep running on " + output);
    }
    return bench::idleCost(program.pid(), window, false);
}

void report(const std::string& what, const Figures& figures)
{
    std::printf("%-34s CPU median %.2f %% (worst %.2f %%), wakeups median %.0f/s (worst %.0f/s)\n",
                what.c_str(), bench::median(figures.cpuPercent),
                bench::percentile(figures.cpuPercent, 100), bench::median(figures.wakeupsPerSecond),
                bench::percentile(figures.wakeupsPerSecond, 100));
}

}  // namespace

int main(int argc, char* argv[])
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : defaultRuns;
    std::map<std::string, Figures> device0;
    std::map<std::string, Figures> program;
    try {
        for (int run = 0; run < runs; ++run) {
            for (const std::string& output : outputs) {
                device0[output].add(device0Idle(output));
                program[output].add(programIdle(output));
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "synth_idle_bench: %s\n", error.what());
        return 1;
    }
    std::printf("%d runs, each %.0f s after %.0f s open and silent\n", runs,
                std::chrono::duration<double>(window).count(),
                std::chrono::duration<double>(settle).count());
    for (const std::string& output : outputs) {
        report("device 0 on " + output + ":", device0[output]);
        report("fluidsynth program on " + output + ":", program[output]);
    }
    return 0;
}
