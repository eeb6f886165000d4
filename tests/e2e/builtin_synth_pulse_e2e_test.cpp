// End to end: device 0 with only a PulseAudio server reachable plays into its null sink, as
// recorded from the sink's monitor with parec.
#include "platform/midi/builtin_synth.h"
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
// Recorded at the sink's rate, one channel (the left), as raw 32-bit floats.
constexpr const char* recordCommand =
    "timeout 60 parec --device=null.monitor --format=float32le --rate=48000 --channels=1 "
    "--latency-msec=20 --raw 2>/dev/null";

struct PipeCloser {
    void operator()(FILE* pipe) const { pclose(pipe); }
};

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

TEST_F(BuiltinSynthPulseTest, NoteOnA4PlaysAt440HzAndAllNotesOffSilencesIt)
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
}

}  // namespace
