// What device 0 costs while open and silent, on each sound server the test servers script runs
// (JACK, PulseAudio, PipeWire), beside the fluidsynth program with its defaults on each: CPU share
// of one core and wakeups per second (context switches of all threads), after the synth has been
// silent long enough to rest; and beside each, what the server's daemons cost meanwhile.
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

#include "fluidsynth_program.h"
#include "process_load.h"
#include "sound_servers.h"
#include "support/builtin_synth_on.h"
#include "support/statistics.h"

namespace {

using namespace std::chrono_literals;

constexpr int defaultRuns = 5;
// Open and silent this long, as a user who stopped playing: past the synth's 2 s tail hold
// after opening, the program's start-up, and the 6 s after which device 0's PipeWire stream
// leaves the graph. An idle null sink has rendered up to 2 s ahead when device 0 opens, and
// takes its first sound only then.
constexpr auto settle = 10s;
constexpr auto window = 4s;

struct Figures {
    std::vector<double> cpuPercent;
    std::vector<double> wakeupsPerSecond;

    void add(const bench::IdleCost& cost)
    {
        cpuPercent.push_back(cost.cpuPercent);
        wakeupsPerSecond.push_back(cost.wakeupsPerSecond);
    }
};

// The player's figures and, in the same order as the server's daemons, theirs over the same
// window.
struct Costs {
    Figures player;
    std::vector<Figures> daemons;
};

void measure(Costs& costs, pid_t player, const bench::SoundServer& server)
{
    std::vector<pid_t> pids = {player};
    for (const bench::Daemon& daemon : server.daemons) {
        pids.push_back(daemon.pid);
    }
    const auto measured = bench::idleCosts(pids, window);
    costs.player.add(measured[0]);
    costs.daemons.resize(server.daemons.size());
    for (std::size_t i = 0; i < server.daemons.size(); ++i) {
        costs.daemons[i].add(measured[i + 1]);
    }
}

void device0Idle(Costs& costs, const bench::SoundServer& server)
{
    const auto synth = testsupport::openBuiltinSynthOn(server.device0Output);
    std::this_thread::sleep_for(settle);
    measure(costs, getpid(), server);
}

void programIdle(Costs& costs, const bench::SoundServer& server)
{
    const bench::FluidsynthProgram program(server.programDriver);
    std::this_thread::sleep_for(settle);
    if (!program.running()) {
        throw std::runtime_error("the fluidsynth program did not keep running on " + server.name);
    }
    measure(costs, program.pid(), server);
}

void report(const std::string& what, const Figures& figures)
{
    std::printf("%-44s CPU median %.2f %% (worst %.2f %%), wakeups median %.0f/s (worst %.0f/s)\n",
                what.c_str(), bench::median(figures.cpuPercent),
                bench::percentile(figures.cpuPercent, 100), bench::median(figures.wakeupsPerSecond),
                bench::percentile(figures.wakeupsPerSecond, 100));
}

void report(const std::string& what, const bench::SoundServer& server, const Costs& costs)
{
    report(what + " on " + server.name + ":", costs.player);
    for (std::size_t i = 0; i < server.daemons.size(); ++i) {
        report("  " + server.daemons[i].name + " meanwhile:", costs.daemons[i]);
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : defaultRuns;
    std::vector<bench::SoundServer> servers;
    std::map<std::string, Costs> device0;
    std::map<std::string, Costs> program;
    try {
        servers = bench::soundServers();
        for (int run = 0; run < runs; ++run) {
            for (const bench::SoundServer& server : servers) {
                bench::use(server);
                device0Idle(device0[server.name], server);
                programIdle(program[server.name], server);
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "synth_idle_bench: %s\n", error.what());
        return 1;
    }
    std::printf("%d runs, each %.0f s after %.0f s open and silent\n", runs,
                std::chrono::duration<double>(window).count(),
                std::chrono::duration<double>(settle).count());
    for (const bench::SoundServer& server : servers) {
        report("device 0", server, device0[server.name]);
        report("fluidsynth program", server, program[server.name]);
    }
    return 0;
}
