// End to end: device 0 with only a desktop sound server reachable (PulseAudio, or PipeWire as run
// by tests/tools/on_pipewire.sh and on_pw_jack.sh) plays into its null sink, as recorded from the
// sink's monitor with parec. VORLIK_SINK_MONITOR names the monitor; VORLIK_EXPECTED_AUDIO_DRIVERS
// the audio outputs device 0 may play through there ("pulseaudio" unless set).
#include "platform/midi/builtin_synth_device.h"
#include "support/monitor_recording.h"
#include "support/signal_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double rateHz = testsupport::recordingRateHz;
constexpr std::uint32_t fluteProgram = 0x49C0;
constexpr std::uint32_t noteOnA4 = 0x644590;
constexpr std::uint32_t allNotesOff = 0x7BB0;
constexpr float soundingRms = 1e-3f;
constexpr float silentRms = 1e-4f;
// Awake, device 0 keeps the sink (or the PipeWire graph's quantum) at a few ms or less; at rest it
// lets the server buffer more (the monitor's recording asks for 10 to 20 ms).
constexpr long restingSinkMicroseconds = 5000;

// The audio outputs device 0 may choose on the server under test.
std::vector<std::string> expectedAudioDrivers()
{
    const char* listed = std::getenv("VORLIK_EXPECTED_AUDIO_DRIVERS");
    std::istringstream words(listed != nullptr ? listed : "pulseaudio");
    std::vector<std::string> drivers;
    for (std::string word; words >> word;) {
        drivers.push_back(word);
    }
    return drivers;
}

// How long the server buffers the sink, in µs, as the command VORLIK_SINK_LATENCY_COMMAND prints
// it (tests/tools/sink_latency_*.sh); -1 when it prints no number.
long sinkLatencyMicroseconds(const std::string& command)
{
    const std::unique_ptr<FILE, testsupport::PipeCloser> pipe(popen(command.c_str(), "r"));
    long microseconds = -1;
    if (!pipe || std::fscanf(pipe.get(), "%ld", &microseconds) != 1) {
        return -1;
    }
    return microseconds;
}

class BuiltinSynthOnSoundServer : public testing::Test {
protected:
    void SetUp() override
    {
        const char* monitor = std::getenv("VORLIK_SINK_MONITOR");
        const char* latencyCommand = std::getenv("VORLIK_SINK_LATENCY_COMMAND");
        if (std::getenv("PULSE_SERVER") == nullptr || monitor == nullptr ||
            latencyCommand == nullptr) {
            if (std::getenv("VORLIK_TEST_SERVERS") != nullptr) {
                FAIL() << "PULSE_SERVER, VORLIK_SINK_MONITOR or VORLIK_SINK_LATENCY_COMMAND unset";
            }
            GTEST_SKIP() << "no sound server for the test (run it through ctest under "
                            "scripts/with-test-servers.sh)";
        }
        monitor_ = monitor;
        latencyCommand_ = latencyCommand;
        // No jackd is reachable: the JACK server this names does not exist. PipeWire's JACK
        // library ignores the name and plays into the graph.
        setenv("JACK_DEFAULT_SERVER", "vorlik-no-such-server", 1);
    }

    std::string monitor_;
    std::string latencyCommand_;
};

TEST_F(BuiltinSynthOnSoundServer,
       NoteOnA4PlaysAt440HzAllNotesOffSilencesItAndItPlaysAgainAfterARest)
{
    const auto monitor = testsupport::MonitorRecording::start(monitor_);
    ASSERT_NE(monitor, nullptr);
    ASSERT_EQ(monitor->next(0.1).size(), 4800u) << "parec records nothing";

    midiout::OpenResult opened = midiout::makeBuiltinSynth()->open(1);
    if (auto* reason = std::get_if<std::string>(&opened)) {
        FAIL() << *reason;
    }
    auto* synth = dynamic_cast<midiout::BuiltinSynthOutput*>(
        std::get<std::unique_ptr<midiout::OpenOutput>>(opened).get());
    ASSERT_NE(synth, nullptr);
    const std::vector<std::string> drivers = expectedAudioDrivers();
    EXPECT_NE(std::find(drivers.begin(), drivers.end(), synth->audioDriver()), drivers.end())
        << "device 0 plays through " << synth->audioDriver();

    synth->send(fluteProgram);
    synth->send(noteOnA4);
    monitor->next(0.3);  // the attack, and what was queued before the note
    const std::vector<float> tone = monitor->next(0.5);
    ASSERT_EQ(tone.size(), 24000u);
    EXPECT_GT(testsupport::rms(tone), soundingRms);
    EXPECT_NEAR(testsupport::fundamentalHz(tone, rateHz), 440.0, 4.4);

    synth->send(allNotesOff);
    monitor->next(1.5);  // release and reverb tail
    const std::vector<float> after = monitor->next(0.3);
    ASSERT_EQ(after.size(), 14400u);
    EXPECT_LT(testsupport::rms(after), silentRms);

    // Past the synth's 2 s tail hold and the 4 s more that a PipeWire stream keeps its place in
    // the graph: it rests.
    monitor->next(5.5);
    EXPECT_GE(sinkLatencyMicroseconds(latencyCommand_), restingSinkMicroseconds)
        << "the silent synth keeps the sound server at its shortest latency";
    synth->send(noteOnA4);
    monitor->next(0.3);
    const std::vector<float> again = monitor->next(0.5);
    EXPECT_GT(testsupport::rms(again), soundingRms);
    EXPECT_NEAR(testsupport::fundamentalHz(again, rateHz), 440.0, 4.4);
}

}  // namespace
