// From a note-on sent to its first sample at the synth's output, for device 0 and, driven the
// same way through its shell, the fluidsynth program with its defaults, on each sound server the
// test servers script runs: in the JACK graph (a capture client's audio input connected to the
// synth's left output, time taken in its process callback), and at the null sink's monitor of
// the PulseAudio server and of the PipeWire graph (each sample dated from the time its 128-frame
// read returns).
// For the JACK figure at 128 frames:
//   VORLIK_JACK_PERIOD=128 scripts/with-test-servers.sh build/bench/synth_latency_bench
//       [runs [rested notes per run [server...]]]
// where a server is "JACK", "PulseAudio" or "PipeWire" (all three unless named).
#include <jack/jack.h>
#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "fluidsynth_program.h"
#include "sound_servers.h"
#include "support/builtin_synth_on.h"
#include "support/statistics.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int defaultRuns = 5;
constexpr int notesPerRun = 20;
constexpr int defaultRestedNotesPerRun = 4;
// Longer than device 0's 2 s tail hold, after which it writes zeros without running the synth.
constexpr auto rest = 3s;
// A sample counts as sound above this (-80 dBFS); below it for `quiet`, the output is silent.
constexpr float threshold = 1e-4f;
constexpr auto quiet = 50ms;
constexpr auto noteDeadline = 1s;
constexpr auto quietDeadline = 3s;
constexpr auto settle = 1s;                // after the synth's start, before the first note
constexpr unsigned monitorFragment = 128;  // frames per read of the monitor
constexpr auto sinkCatchUp = 2500ms;
constexpr double rateHz = 48000;
constexpr double sampleMicroseconds = 1e6 / rateHz;
// The notes are played on program 81 (square lead), whose sound starts at its first sample: the
// General MIDI piano's sample opens with 6.5 ms of near silence, which would hide the output's
// own latency.
constexpr std::uint32_t squareLead = 0x50C0;     // program 81, channel 1
constexpr std::uint32_t noteOn = 0x644590;       // A4 at velocity 100, channel 1
constexpr std::uint32_t allSoundOff = 0x0078B0;  // voices end at once
const char* const squareLeadCommand = "prog 0 80";
const char* const noteOnCommand = "noteon 0 69 100";
const char* const allSoundOffCommand = "cc 0 120 0";

// Watches a stream of blocks for the first sample above the threshold once armed, and for how
// long it has been silent. Blocks come from one thread, arming and waiting from another.
class OnsetWatch {
public:
    void arm() { armed_.store(true); }

    // microseconds: the time of the block's first sample, on the clock the sender uses;
    // sampleStep: how many microseconds later each following sample is (0 when the block arrives
    // whole, as a JACK buffer does).
    void block(const float* samples, std::size_t count, std::int64_t microseconds,
               double sampleStep = 0)
    {
        std::size_t first = 0;
        while (first < count && std::fabs(samples[first]) <= threshold) {
            ++first;
        }
        if (first == count) {
            return;
        }
        const auto at = [&](std::size_t sample) {
            return microseconds + std::llround(static_cast<double>(sample) * sampleStep);
        };
        lastLoud_.store(at(count - 1));
        if (armed_.exchange(false)) {
            onset_.store(at(first));
        }
    }

    // The onset's time once seen after arm(), else -1 when the deadline passes.
    std::int64_t waitForOnset()
    {
        const auto end = Clock::now() + noteDeadline;
        while (onset_.load() < 0 && Clock::now() < end) {
            std::this_thread::sleep_for(100us);
        }
        return onset_.exchange(-1);
    }

    // Waits until nothing has been loud for `quiet`; false after quietDeadline.
    bool waitForQuiet(const std::function<std::int64_t()>& now)
    {
        const auto end = Clock::now() + quietDeadline;
        const auto quietMicroseconds = std::chrono::microseconds(quiet).count();
        while (now() - lastLoud_.load() < quietMicroseconds) {
            if (Clock::now() >= end) {
                return false;
            }
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

private:
    std::atomic<bool> armed_{false};
    std::atomic<std::int64_t> onset_{-1};
    std::atomic<std::int64_t> lastLoud_{0};
};

// A JACK client with one audio input; the block time is the process callback's, jack_get_time().
class JackWatch {
public:
    JackWatch()
    {
        client_ = jack_client_open("latency-capture", JackNoStartServer, nullptr);
        if (client_ == nullptr) {
            throw std::runtime_error("no JACK server");
        }
        port_ = jack_port_register(client_, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(client_, process, this);
        jack_activate(client_);
    }
    ~JackWatch() { jack_client_close(client_); }
    JackWatch(const JackWatch&) = delete;
    JackWatch& operator=(const JackWatch&) = delete;

    // Connects the first audio output port of a client whose name starts with prefix.
    void connectTo(const std::string& prefix)
    {
        const auto end = Clock::now() + 10s;
        while (Clock::now() < end) {
            const char** ports = jack_get_ports(client_, ("^" + prefix).c_str(),
                                                JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
            if (ports != nullptr && ports[0] != nullptr) {
                const std::string source = ports[0];
                jack_free(ports);
                jack_connect(client_, source.c_str(), jack_port_name(port_));
                return;
            }
            jack_free(ports);
            std::this_thread::sleep_for(50ms);
        }
        throw std::runtime_error("no JACK audio output port " + prefix);
    }

    void disconnect() { jack_port_disconnect(client_, port_); }
    std::int64_t now() const { return static_cast<std::int64_t>(jack_get_time()); }
    unsigned period() const { return jack_get_buffer_size(client_); }
    OnsetWatch& watch() { return watch_; }

private:
    static int process(jack_nframes_t frames, void* self)
    {
        auto& watch = *static_cast<JackWatch*>(self);
        const std::int64_t time = static_cast<std::int64_t>(jack_get_time());
        const auto* samples = static_cast<const float*>(jack_port_get_buffer(watch.port_, frames));
        watch.watch_.block(samples, frames, time);
        return 0;
    }

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    OnsetWatch watch_;
};

std::int64_t steadyMicroseconds()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
        .count();
}

// A null sink's monitor, left channel, read 128 frames at a time on a thread of its own. A read
// returns as its last sample arrives; each sample before it is dated one sample period earlier,
// so that a note's time does not depend on where in the 2.7 ms of a read it falls.
class MonitorWatch {
public:
    // server: a PulseAudio server address, pipewire-pulse's included.
    MonitorWatch(const std::string& server, const std::string& monitor)
    {
        const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(rateHz), 1};
        const auto bytes = static_cast<std::uint32_t>(monitorFragment * sizeof(float));
        const pa_buffer_attr buffering{static_cast<std::uint32_t>(-1), 0, 0, 0, bytes};
        int error = 0;
        simple_ = pa_simple_new(server.c_str(), "latency-bench", PA_STREAM_RECORD, monitor.c_str(),
                                "monitor", &format, nullptr, &buffering, &error);
        if (simple_ == nullptr) {
            throw std::runtime_error("no monitor " + monitor + " on " + server + ": " +
                                     pa_strerror(error));
        }
        reader_ = std::thread([this] { read(); });
        // An idle null sink has rendered up to its longest latency, 2 s, ahead; what is played
        // before it has caught up reaches the monitor only then.
        std::this_thread::sleep_for(sinkCatchUp);
    }
    ~MonitorWatch()
    {
        stop_.store(true);
        reader_.join();
        pa_simple_free(simple_);
    }
    MonitorWatch(const MonitorWatch&) = delete;
    MonitorWatch& operator=(const MonitorWatch&) = delete;

    std::int64_t now() const { return steadyMicroseconds(); }
    OnsetWatch& watch() { return watch_; }

private:
    void read()
    {
        std::array<float, monitorFragment> samples{};
        int error = 0;
        while (!stop_.load() &&
               pa_simple_read(simple_, samples.data(), sizeof samples, &error) == 0) {
            const auto firstSample =
                steadyMicroseconds() -
                std::llround(static_cast<double>(samples.size() - 1) * sampleMicroseconds);
            watch_.block(samples.data(), samples.size(), firstSample, sampleMicroseconds);
        }
    }

    pa_simple* simple_ = nullptr;
    OnsetWatch watch_;
    std::atomic<bool> stop_{false};
    std::thread reader_;
};

// Latencies in ms, of notes played while the synth is awake (each after a short silence) and of
// notes after a rest long enough for device 0 to have stopped running the synth.
struct Latencies {
    std::vector<double> awake;
    std::vector<double> rested;
};

// `notes` notes, each after `rest` of silence.
template <class Watch>
void measureNotes(Watch& source, const std::function<void()>& play,
                  const std::function<void()>& silence, int notes, std::chrono::milliseconds rest,
                  std::vector<double>& latencies)
{
    for (int note = 0; note < notes; ++note) {
        if (!source.watch().waitForQuiet([&source] { return source.now(); })) {
            throw std::runtime_error("the output never fell silent");
        }
        // Notes land at different points of the period.
        std::this_thread::sleep_for(rest + std::chrono::microseconds(std::rand() % 5000));
        source.watch().arm();
        const std::int64_t sent = source.now();
        play();
        const std::int64_t onset = source.watch().waitForOnset();
        if (onset < 0) {
            throw std::runtime_error("no sound after a note-on");
        }
        latencies.push_back(static_cast<double>(onset - sent) / 1000.0);
        silence();
    }
}

// How many notes each run plays, awake and after a rest.
struct Plan {
    int runs = defaultRuns;
    int restedNotesPerRun = defaultRestedNotesPerRun;
};

// player: who plays on which output, for the message when a note goes unheard.
template <class Watch>
void measureBoth(const std::string& player, Watch& source, const std::function<void()>& play,
                 const std::function<void()>& silence, const Plan& plan, Latencies& latencies)
{
    try {
        measureNotes(source, play, silence, notesPerRun, 0ms, latencies.awake);
        measureNotes(source, play, silence, plan.restedNotesPerRun, rest, latencies.rested);
    } catch (const std::runtime_error& error) {
        throw std::runtime_error(
            player + ", note " +
            std::to_string(latencies.awake.size() + latencies.rested.size() + 1) + ": " +
            error.what());
    }
}

template <class Watch>
void device0Run(Watch& source, const bench::SoundServer& server, const Plan& plan,
                Latencies& latencies)
{
    const auto synth = testsupport::openBuiltinSynthOn(server.device0Output);
    if constexpr (std::is_same_v<Watch, JackWatch>) {
        source.connectTo("vorlik:synth-left");
    }
    synth->send(squareLead);
    std::this_thread::sleep_for(settle);
    measureBoth(
        "device 0 on " + server.name, source, [&] { synth->send(noteOn); },
        [&] { synth->send(allSoundOff); }, plan, latencies);
    if constexpr (std::is_same_v<Watch, JackWatch>) {
        source.disconnect();
    }
}

template <class Watch>
void programRun(Watch& source, const bench::SoundServer& server, const Plan& plan,
                Latencies& latencies)
{
    const bench::FluidsynthProgram program(server.programDriver);
    if constexpr (std::is_same_v<Watch, JackWatch>) {
        source.connectTo("fluidsynth:");
    }
    std::this_thread::sleep_for(settle);
    if (!program.running()) {
        throw std::runtime_error("the fluidsynth program did not start on " + server.name);
    }
    program.command(squareLeadCommand);
    measureBoth(
        "fluidsynth program on " + server.name, source, [&] { program.command(noteOnCommand); },
        [&] { program.command(allSoundOffCommand); }, plan, latencies);
    if constexpr (std::is_same_v<Watch, JackWatch>) {
        source.disconnect();
    }
}

void report(const std::string& what, const std::vector<double>& ms)
{
    std::printf("%-52s median %.2f ms, 99th percentile %.2f ms, worst %.2f ms (%zu notes)\n",
                what.c_str(), bench::median(ms), bench::percentile(ms, 99),
                bench::percentile(ms, 100), ms.size());
}

void report(const std::string& what, const Latencies& latencies)
{
    report(what + ":", latencies.awake);
    report(what + ", after a rest:", latencies.rested);
}

// Device 0's and the program's latencies on one server, measured where `Watch` listens.
struct ServerLatencies {
    std::string where;
    Latencies device0;
    Latencies program;
};

template <class Watch>
ServerLatencies measureOn(Watch& source, const bench::SoundServer& server, const Plan& plan)
{
    ServerLatencies measured;
    for (int run = 0; run < plan.runs; ++run) {
        device0Run(source, server, plan, measured.device0);
        programRun(source, server, plan, measured.program);
    }
    return measured;
}

ServerLatencies measureOn(const bench::SoundServer& server, const Plan& plan, unsigned& jackPeriod)
{
    bench::use(server);
    if (server.monitor.empty()) {
        JackWatch jack;
        jackPeriod = jack.period();
        ServerLatencies measured = measureOn(jack, server, plan);
        measured.where = "JACK graph";
        return measured;
    }
    MonitorWatch monitor(std::getenv("PULSE_SERVER"), server.monitor);
    ServerLatencies measured = measureOn(monitor, server, plan);
    measured.where = server.name + " monitor";
    return measured;
}

// The servers named on the command line, or all when none is.
bool chosen(const bench::SoundServer& server, std::span<char*> named)
{
    return named.empty() || std::find(named.begin(), named.end(), server.name) != named.end();
}

}  // namespace

int main(int argc, char* argv[])
{
    Plan plan;
    plan.runs = argc > 1 ? std::atoi(argv[1]) : defaultRuns;
    plan.restedNotesPerRun = argc > 2 ? std::atoi(argv[2]) : defaultRestedNotesPerRun;
    const std::span<char*> named(argv + std::min(argc, 3), argv + argc);
    std::vector<ServerLatencies> results;
    unsigned period = 0;
    try {
        for (const bench::SoundServer& server : bench::soundServers()) {
            if (chosen(server, named)) {
                results.push_back(measureOn(server, plan, period));
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "synth_latency_bench: %s\n", error.what());
        return 1;
    }
    std::printf(
        "%d runs of %d notes and %d after a rest of %.1f s; JACK period %u frames at "
        "48 kHz (%.2f ms)\n",
        plan.runs, notesPerRun, plan.restedNotesPerRun, std::chrono::duration<double>(rest).count(),
        period, period / rateHz * 1000);
    for (const ServerLatencies& server : results) {
        report("device 0, " + server.where, server.device0);
        report("fluidsynth program, " + server.where, server.program);
    }
    return 0;
}
