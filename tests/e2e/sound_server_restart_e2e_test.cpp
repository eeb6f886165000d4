// End to end: device 0 open on a sound server of the test's own, which is killed as a crash would
// and started again on the same socket or name. While it is gone device 0 says why it is silent;
// within a second of it answering again device 0 plays, without being opened again, with the
// program it had; what was sent meanwhile is dropped, not played late, and nothing of what
// sounded before the server went is heard again.
#include "support/builtin_synth_on.h"
#include "support/restart_cases.h"
#include "support/signal_analysis.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using testsupport::RestartableServer;

// The ocarina holds a note at one pitch and level for as long as it is held; the piano, program 1,
// which a synth that lost its state plays, has faded by more than 20 dB a second in.
constexpr std::uint32_t ocarinaProgram = 0x4FC0;
constexpr std::uint32_t noteOnA4 = 0x644590;
constexpr double a4Hz = 440.0;
// A stream that drops a few ms now and then (the PipeWire stream does, more so on a busy machine)
// skews the pitch estimate by a few per cent; the note below is 26 % higher.
constexpr double pitchTolerance = 0.05;
// Sent while the server is gone and never released: played late, it would sound on and on, and
// beside A4 would change the pitch heard (554 Hz, or the two notes' common 110 Hz).
constexpr std::uint32_t noteOnCSharp5 = 0x644990;
constexpr std::uint32_t allSoundOff = 0x78B0;
constexpr float soundingRms = 1e-3f;
constexpr double heldLevelRatio = 0.5;

constexpr auto reasonDeadline = 2s;  // from the kill until device 0 says why it is silent
constexpr auto playDeadline = 1s;    // from the server answering until device 0 plays
constexpr auto downTime = 500ms;
constexpr double chunkSeconds = 0.05;
constexpr double onsetSearchSeconds = 4;  // of recording, for a note to be heard in

// What is heard of a note from its onset on: the pitch and level of a half second just past its
// attack, and the level of one a second later.
struct Heard {
    double hz = 0;
    float earlyRms = 0;
    float lateRms = 0;
};

// The first sound in the next few seconds of recording; none when all is quiet.
std::optional<Heard> firstSound(testsupport::AudioRecording& recording)
{
    for (double searched = 0; searched < onsetSearchSeconds; searched += chunkSeconds) {
        const std::vector<float> chunk = recording.next(chunkSeconds);
        if (chunk.empty()) {
            return std::nullopt;
        }
        if (testsupport::rms(chunk) > soundingRms) {
            recording.next(0.2);  // the attack
            const std::vector<float> early = recording.next(0.5);
            recording.next(0.5);
            const std::vector<float> late = recording.next(0.5);
            return Heard{testsupport::fundamentalHz(early, testsupport::recordingRateHz),
                         testsupport::rms(early), testsupport::rms(late)};
        }
    }
    return std::nullopt;
}

class SoundServerRestart : public testing::TestWithParam<testsupport::RestartCase> {
protected:
    void SetUp() override
    {
        server_ = GetParam().makeServer();
        ASSERT_TRUE(server_->start()) << "the test's own server did not start";
        testsupport::useAlone(*server_);
        ASSERT_NO_THROW(synth_ = testsupport::openBuiltinSynthOn(GetParam().output));
        ASSERT_EQ(synth_->audioDriver(), GetParam().driver);
    }

    // Device 0 stops before its server does.
    void TearDown() override
    {
        recording_.reset();
        synth_.reset();
        server_.reset();
    }

    std::unique_ptr<RestartableServer> server_;
    std::unique_ptr<midiout::BuiltinSynthOutput> synth_;
    std::unique_ptr<testsupport::AudioRecording> recording_;
};

TEST_P(SoundServerRestart, DeviceZeroPlaysAgainWithinASecondWithItsProgramAndDropsWhatCameMeanwhile)
{
    recording_ = testsupport::recordDevice0();
    ASSERT_NE(recording_, nullptr);
    EXPECT_EQ(synth_->silenceReason(), "");
    synth_->send(ocarinaProgram);
    synth_->send(noteOnA4);
    ASSERT_TRUE(firstSound(*recording_).has_value()) << "device 0 does not sound at first";
    synth_->send(allSoundOff);
    recording_.reset();

    server_->kill();
    EXPECT_TRUE(
        testsupport::waitUntil([&] { return !synth_->silenceReason().empty(); }, reasonDeadline));
    EXPECT_EQ(synth_->silenceReason(), GetParam().silenceReason);
    synth_->send(noteOnCSharp5);
    std::this_thread::sleep_for(downTime);

    ASSERT_TRUE(server_->start()) << "the test's own server did not start again";
    const auto answered = std::chrono::steady_clock::now();
    const bool monitored = std::getenv("VORLIK_SINK_MONITOR") != nullptr;
    if (monitored) {
        recording_ = testsupport::recordDevice0();
    }
    const bool playing =
        testsupport::waitUntil([&] { return synth_->silenceReason().empty(); }, playDeadline);
    ASSERT_TRUE(playing) << "1 s after the server answered, device 0 says: "
                         << synth_->silenceReason();
    if (!monitored) {
        recording_ = testsupport::recordDevice0();
    }
    ASSERT_NE(recording_, nullptr) << "device 0's output cannot be recorded after the restart";
    std::this_thread::sleep_until(answered + playDeadline);
    synth_->send(noteOnA4);
    const std::optional<Heard> heard = firstSound(*recording_);
    ASSERT_TRUE(heard.has_value()) << "a note sent 1 s after the server answered is not heard";
    ASSERT_GT(heard->earlyRms, soundingRms)
        << "the first sound after the restart dies away at once: what sounded before the server "
           "went plays out as device 0 comes back";
    EXPECT_NEAR(heard->hz, a4Hz, a4Hz * pitchTolerance)
        << "what is heard first is not the note sent after the restart alone: the one sent while "
           "the server was gone plays late";
    EXPECT_GT(heard->lateRms, heard->earlyRms * heldLevelRatio)
        << "the note fades: device 0 lost its program (the ocarina) in the restart";
}

INSTANTIATE_TEST_SUITE_P(Servers, SoundServerRestart,
                         testing::ValuesIn(testsupport::restartCases()),
                         [](const testing::TestParamInfo<testsupport::RestartCase>& info) {
                             return info.param.name;
                         });

}  // namespace
