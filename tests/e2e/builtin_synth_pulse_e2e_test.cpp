// End to end: device 0 with only a PulseAudio server reachable plays into its null sink, as
// recorded from the sink's monitor with parec.
#include "platform/synth/builtin_synth.h"
#include "support/signal_analysis.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double rateHz = 48000;
constexpr std::uint32_t fluteProgram = 0x49C0;
constexpr std::uint32_t noteOnA4 = 0x644590;
constexpr std::uint32_t allNotesOff = 0x7BB0;
constexpr float soundingRms = 1e-3f;
constexpr float silentRms = 1e-4f;
// Awake, device 0 keeps the sink under 1 ms; at rest it lets it buffer tens of ms (the monitor's
// recording asks for 10 ms of it).
constexpr long restingSinkMicroseconds = 5000;
// Recorded at the sink's rate, one channel (the left), as raw 32-bit floats.
constexpr const char* recordCommand =
    "timeout 60 parec --device=null.monitor --format=float32le --rate=48000 --channels=1 "
    "--latency-msec=20 --raw 2>/dev/null";

struct PipeCloser {
    void operator()(FILE* pipe) const { pclose(pipe); }
};

// The latency the null sink is configured to, from pactl; -1 when not found.
long sinkConfiguredLatencyMicroseconds()
{
    const std::unique_ptr<FILE, PipeCloser> pipe(popen("timeout 10 pactl list sinks", "r"));
    if (!pipe) {
        return -1;
    }
    char line[512];
    while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
        long now = 0;
        long configured = 0;
        if (std::sscanf(line, " Latency: %ld usec, configured %ld usec", &now, &configured) == 2) {
            return configured;
        }
    }
    return -1;
}

// The null sink's monitor, read as it plays: every read waits for the recording to catch up.
class MonitorRecording {
public:
    MonitorRecording() : pipe_(popen(recordCommand, "r")) {}
    bool started() const { return pipe_ != nullptr; }

    // The next `seconds` of output; shorter only when parec ends.
    std::vector<float> next(double seconds)
    {
        std::vector<float> samples(static_cast<std::size_t>(seconds * rateHz));
        const std::size_t got =
            std::fread(samples.data(), sizeof(float), samples.size(), pipe_.get());
        samples.resize(got);
        return samples;
    }

private:
    std::unique_ptr<FILE, PipeCloser> pipe_;
};

class BuiltinSynthPulseTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("PULSE_SERVER") == nullptr) {
            if (std::getenv("VORLIK_TEST_SERVERS") != nullptr) {
                FAIL() << "the test servers give no PULSE_SERVER";
            }
            GTEST_SKIP() << "no PulseAudio server for the test (PULSE_SERVER unset)";
        }
        // Only the PulseAudio server is reachable: the JACK server this names does not exist.
        setenv("JACK_DEFAULT_SERVER", "vorlik-no-such-server", 1);
    }
};

TEST_F(BuiltinSynthPulseTest, NoteOnA4PlaysAt440HzAllNotesOffSilencesItAndItPlaysAgainAfterARest)
{
    MonitorRecording monitor;
    ASSERT_TRUE(monitor.started());
    ASSERT_EQ(monitor.next(0.1).size(), 4800u) << "parec records nothing";

    midiout::OpenResult opened = midiout::makeBuiltinSynth()->open(1);
    if (auto* reason = std::get_if<std::string>(&opened)) {
        FAIL() << *reason;
    }
    auto* synth = dynamic_cast<midiout::BuiltinSynthOutput*>(
        std::get<std::unique_ptr<midiout::OpenOutput>>(opened).get());
    ASSERT_NE(synth, nullptr);
    EXPECT_EQ(synth->audioDriver(), "pulseaudio");

    synth->send(fluteProgram);
    synth->send(noteOnA4);
    monitor.next(0.3);  // the attack, and what was queued before the note
    const std::vector<float> tone = monitor.next(0.5);
    ASSERT_EQ(tone.size(), 24000u);
    EXPECT_GT(testsupport::rms(tone), soundingRms);
    EXPECT_NEAR(testsupport::fundamentalHz(tone, rateHz), 440.0, 4.4);

    synth->send(allNotesOff);
    monitor.next(1.5);  // release and reverb tail
    const std::vector<float> after = monitor.next(0.3);
    ASSERT_EQ(after.size(), 14400u);
    EXPECT_LT(testsupport::rms(after), silentRms);

    monitor.next(2.5);  // past the synth's tail hold: it rests
    EXPECT_GE(sinkConfiguredLatencyMicroseconds(), restingSinkMicroseconds)
        << "the silent synth keeps the sound server at its shortest latency";
    synth->send(noteOnA4);
    monitor.next(0.3);
    const std::vector<float> again = monitor.next(0.5);
    EXPECT_GT(testsupport::rms(again), soundingRms);
    EXPECT_NEAR(testsupport::fundamentalHz(again, rateHz), 440.0, 4.4);
}

}  // namespace
