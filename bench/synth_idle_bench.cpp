// What device 0 costs while open and silent, on the PulseAudio and on the JACK server, beside the
// fluidsynth program with its defaults on each: CPU share of one core and wakeups per second
// (context switches of all threads), after the synth has been silent long enough to rest; and
// beside each, what the sound server (pulseaudio, jackd) costs meanwhile.
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
// Past the synth's 2 s tail hold after opening, and the program's start-up. An idle null sink
// has rendered up to 2 s ahead when device 0 opens, and takes its first sound only then.
constexpr auto settle = 5s;
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

// The player's figures and its sound server's over the same window.
struct Costs {
    Figures player;
    Figures server;
};

pid_t serverOf(const std::string& output)
{
    const pid_t server = bench::processNamed(output == "jack" ? "jackd" : output);
    if (server == 0) {
        throw std::runtime_error("no " + output + " server process");
    }
    return server;
}

void measure(Costs& costs, pid_t player, const std::string& output)
{
    const auto measured = bench::idleCosts({player, serverOf(output)}, window);
    costs.player.add(measured[0]);
    costs.server.add(measured[1]);
}

void device0Idle(Costs& costs, const std::string& output)
{
    const auto synth = bench::openBuiltinSynthOn(output);
    std::this_thread::sleep_for(settle);
    measure(costs, getpid(), output);
}

void programIdle(Costs& costs, const std::string& output)
{
    const bench::FluidsynthProgram program(output);
    std::this_thread::sleep_for(settle);
    if (!program.running()) {
        throw std::runtime_error("the fluidsynth program did not keep running on " + output);
    }
    measure(costs, program.pid(), output);
}

void report(const std::string& what, const Figures& figures)
{
    std::printf("%-44s CPU median %.2f %% (worst %.2f %%), wakeups median %.0f/s (worst %.0f/s)\n",
                what.c_str(), bench::median(figures.cpuPercent),
                bench::percentile(figures.cpuPercent, 100), bench::median(figures.wakeupsPerSecond),
                bench::percentile(figures.wakeupsPerSecond, 100));
}

void report(const std::string& what, const std::string& output, const Costs& costs)
{
    report(what + " on " + output + ":", costs.player);
    report("  its " + output + " server meanwhile:", costs.server);
}

}  // namespace

int main(int argc, char* argv[])
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : defaultRuns;
    std::map<std::string, Costs> device0;
    std::map<std::string, Costs> program;
    try {
        for (int run = 0; run < runs; ++run) {
            for (const std::string& output : outputs) {
                device0Idle(device0[output], output);
                programIdle(program[output], output);
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
        report("device 0", output, device0[output]);
        report("fluidsynth program", output, program[output]);
    }
    return 0;
}
