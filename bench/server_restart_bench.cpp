// Device 0 on sound servers of the benchmark's own, each killed as a crash would and started again
// (PulseAudio; the PipeWire graph through pipewire-pulse, restarted whole or that service alone;
// device 0's own PipeWire stream; jackd). First, over a few restarts, how soon after the server
// answers device 0 says it plays again, and when a note sent then is heard (at the null sink's
// monitor, or in the JACK graph); then, over many restarts in a row, what the process holds
// before and after (memory, open files, threads, JACK clients) and its CPU while the server is
// gone: in the first 250 ms, as device 0 notices and drops its connection, and after that, where
// retrying must not busy the process.
//   scripts/with-test-servers.sh build/bench/server_restart_bench [restarts in a row] [server]
// where server is one of the names printed (PulseAudio, PipeWirePulse, ...); all unless given.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "guarded_main.h"
#include "process_holdings.h"
#include "process_load.h"
#include "support/builtin_synth_on.h"
#include "support/restart_cases.h"
#include "support/statistics.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testsupport::RestartCase;

constexpr int timedRestarts = 10;
constexpr int defaultRestartsInARow = 100;
constexpr auto noticeTime = 250ms;  // the server gone, device 0 noticing
constexpr auto waitTime = 1s;       // the server gone after that, device 0 retrying
constexpr auto backDeadline = 10s;
constexpr auto backPoll = 1ms;
constexpr auto settle = 1s;             // before what the process holds is counted
constexpr auto upWindow = 2s;           // device 0 silent, the server up: CPU for comparison
constexpr double chunkSeconds = 0.005;  // of recording, read at a time
constexpr double searchSeconds = 5;     // of recording, for a note to be heard in
constexpr float audible = 1e-3f;        // a sample this loud is the note
constexpr double lateMs = 1000;         // device 0 should be back sooner after the server answers
constexpr std::uint32_t ocarinaProgram = 0x4FC0;
constexpr std::uint32_t noteOnA4 = 0x644590;
constexpr std::uint32_t allSoundOff = 0x78B0;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Device 0's process's CPU share of one core while its server is gone, in %.
struct DownCpu {
    double noticing;  // the first moments, as device 0 drops its connection
    double waiting;   // after that, while device 0 retries
};

// Device 0 on the server, with the ocarina, whose notes start at once and hold.
struct Device0OnServer {
    explicit Device0OnServer(const RestartCase& row) : server(row.makeServer())
    {
        if (!server->start()) {
            throw std::runtime_error(std::string(row.name) + ": the server did not start");
        }
        testsupport::useAlone(*server);
        synth = testsupport::openBuiltinSynthOn(row.output);
        synth->send(ocarinaProgram);
    }
    // Device 0 stops before its server does.
    ~Device0OnServer() { synth.reset(); }
    Device0OnServer(const Device0OnServer&) = delete;
    Device0OnServer& operator=(const Device0OnServer&) = delete;

    // Kills the server, leaves it gone for noticeTime and waitTime, and starts it again; device
    // 0's process's CPU share of one core in each of the two.
    DownCpu restart()
    {
        server->kill();
        DownCpu cpu{};
        cpu.noticing = bench::ownCpuPercentOver(noticeTime);
        cpu.waiting = bench::ownCpuPercentOver(waitTime);
        if (!server->start()) {
            throw std::runtime_error("the server did not start again");
        }
        return cpu;
    }

    // Waits until device 0 says it plays; false after backDeadline.
    bool waitUntilBack() const
    {
        const auto end = Clock::now() + backDeadline;
        while (!synth->silenceReason().empty()) {
            if (Clock::now() >= end) {
                return false;
            }
            std::this_thread::sleep_for(backPoll);
        }
        return true;
    }

    std::unique_ptr<testsupport::RestartableServer> server;
    std::unique_ptr<midiout::BuiltinSynthOutput> synth;
};

// When the first loud sample of the recording from now on was read.
Clock::time_point heardAt(testsupport::AudioRecording& recording)
{
    for (double searched = 0; searched < searchSeconds; searched += chunkSeconds) {
        const std::vector<float> chunk = recording.next(chunkSeconds);
        if (chunk.empty()) {
            break;
        }
        for (const float sample : chunk) {
            if (std::fabs(sample) > audible) {
                return Clock::now();
            }
        }
    }
    throw std::runtime_error("a note sent after the restart is not heard");
}

struct Timings {
    std::vector<double> backMs;   // from the server answering until device 0 says it plays
    std::vector<double> heardMs;  // from the server answering until a note sent then is heard
    std::vector<double> noteMs;   // from sending that note until it is heard
};

// The JACK graph is recorded only once device 0 is back in it (see recordDevice0()).
void timeOneRestart(Device0OnServer& device0, Timings& timings)
{
    device0.restart();
    const auto answered = Clock::now();
    const bool monitored = std::getenv("VORLIK_SINK_MONITOR") != nullptr;
    std::unique_ptr<testsupport::AudioRecording> recording;
    if (monitored) {
        recording = testsupport::recordDevice0();
    }
    if (!device0.waitUntilBack()) {
        throw std::runtime_error("device 0 did not come back: " + device0.synth->silenceReason());
    }
    const auto back = Clock::now();
    if (!monitored) {
        recording = testsupport::recordDevice0();
    }
    if (!recording) {
        throw std::runtime_error("device 0 cannot be recorded");
    }
    const auto sent = Clock::now();
    device0.synth->send(noteOnA4);
    const auto heard = heardAt(*recording);
    device0.synth->send(allSoundOff);
    timings.backMs.push_back(msBetween(answered, back));
    timings.heardMs.push_back(msBetween(answered, heard));
    timings.noteMs.push_back(msBetween(sent, heard));
}

void reportTimings(const RestartCase& row)
{
    Device0OnServer device0(row);
    Timings timings;
    for (int restart = 0; restart < timedRestarts; ++restart) {
        timeOneRestart(device0, timings);
    }
    std::printf(
        "%-26s back %.0f ms after the server answered (worst %.0f ms); a note sent then heard "
        "%.0f ms after it answered (worst %.0f ms), %.0f ms after it was sent (worst %.0f ms)\n",
        row.name, bench::median(timings.backMs), bench::percentile(timings.backMs, 100),
        bench::median(timings.heardMs), bench::percentile(timings.heardMs, 100),
        bench::median(timings.noteMs), bench::percentile(timings.noteMs, 100));
}

void reportRestartsInARow(const RestartCase& row, int restarts)
{
    Device0OnServer device0(row);
    device0.synth->send(noteOnA4);
    device0.synth->send(allSoundOff);
    std::this_thread::sleep_for(settle);
    const bench::Holdings before = bench::holdings();
    const double upCpuPercent = bench::ownCpuPercentOver(upWindow);
    std::vector<double> noticing;
    std::vector<double> waiting;
    int late = 0;
    int never = 0;
    for (int restart = 0; restart < restarts; ++restart) {
        const DownCpu cpu = device0.restart();
        noticing.push_back(cpu.noticing);
        waiting.push_back(cpu.waiting);
        const auto answered = Clock::now();
        const bool back = device0.waitUntilBack();
        never += back ? 0 : 1;
        late += back && msBetween(answered, Clock::now()) > lateMs ? 1 : 0;
        device0.synth->send(noteOnA4);
        device0.synth->send(allSoundOff);
    }
    std::this_thread::sleep_for(settle);
    const bench::Holdings after = bench::holdings();
    std::printf(
        "%-26s %d restarts: resident %.1f -> %.1f MiB, own (RssAnon) %.1f -> %.1f MiB, open "
        "files %d -> %d, threads %d -> %d, JACK clients with ports %d -> %d; CPU while the "
        "server was gone median %.2f %% (worst %.2f %%), in its first %.2f s %.2f %% (worst "
        "%.2f %%); %.2f %% while it ran, device 0 silent; back later than 1 s: %d, not at all: "
        "%d\n",
        row.name, restarts, before.residentMiB, after.residentMiB, before.anonMiB, after.anonMiB,
        before.files, after.files, before.threads, after.threads, before.jackClients,
        after.jackClients, bench::median(waiting), bench::percentile(waiting, 100),
        std::chrono::duration<double>(noticeTime).count(), bench::median(noticing),
        bench::percentile(noticing, 100), upCpuPercent, late, never);
}

}  // namespace

int main(int argc, char* argv[])
{
    const int restarts = argc > 1 ? std::atoi(argv[1]) : defaultRestartsInARow;
    const std::string only = argc > 2 ? argv[2] : "";
    std::vector<RestartCase> rows;
    for (const RestartCase& row : testsupport::restartCases()) {
        if (only.empty() || only == row.name) {
            rows.push_back(row);
        }
    }
    return bench::guardedMain("server_restart_bench", [&] {
        const double downSeconds = std::chrono::duration<double>(noticeTime + waitTime).count();
        std::printf("%d timed restarts per server, each %.2f s gone:\n", timedRestarts,
                    downSeconds);
        for (const RestartCase& row : rows) {
            reportTimings(row);
        }
        std::printf(
            "(PulseAudio's null sink renders up to 2 s ahead while nothing plays into it; "
            "what is played after its restart reaches its monitor only then)\n");
        std::printf("restarts in a row, each %.2f s gone:\n", downSeconds);
        for (const RestartCase& row : rows) {
            reportRestartsInARow(row, restarts);
        }
        return 0;
    });
}
