// Tests of the choice of audio output and of the gate that skips rendering a silent synth.
#include "platform/synth/audio_output.h"
#include "platform/synth/silence_gate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace midiout {
namespace {

// A candidate that either plays or fails with a reason, and counts its start attempts.
struct FakeCandidate {
    const char* name;
    const char* failure;  // null: starts
};

struct OrderCase {
    const char* name;
    std::vector<FakeCandidate> candidates;
    const char* started;             // null when none starts
    std::vector<std::string> tried;  // names asked to start, in order
    const char* reason;              // when none starts
};

void PrintTo(const OrderCase& row, std::ostream* out)
{
    *out << row.name;
}

class AudioOutputOrderTest : public testing::TestWithParam<OrderCase> {};

TEST_P(AudioOutputOrderTest, StartsTheFirstThatPlaysAndNamesEveryFailure)
{
    std::vector<std::string> tried;
    std::vector<AudioCandidate> candidates;
    for (const FakeCandidate& fake : GetParam().candidates) {
        candidates.push_back({fake.name, [&tried, fake]() -> AudioStartResult {
                                  tried.emplace_back(fake.name);
                                  if (fake.failure != nullptr) {
                                      return std::string(fake.failure);
                                  }
                                  return std::make_unique<AudioOutput>();
                              }});
    }
    auto started = startFirstAudioOutput(candidates);
    EXPECT_EQ(tried, GetParam().tried);
    if (GetParam().started != nullptr) {
        ASSERT_TRUE(std::holds_alternative<StartedAudio>(started));
        EXPECT_EQ(std::get<StartedAudio>(started).name, GetParam().started);
        EXPECT_NE(std::get<StartedAudio>(started).output, nullptr);
    } else {
        ASSERT_TRUE(std::holds_alternative<std::string>(started));
        EXPECT_EQ(std::get<std::string>(started), GetParam().reason);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, AudioOutputOrderTest,
    testing::Values(
        OrderCase{"JackRunning",
                  {{"jack", nullptr}, {"pulseaudio", nullptr}, {"alsa", nullptr}},
                  "jack",
                  {"jack"},
                  nullptr},
        OrderCase{"NoJackServer",
                  {{"jack", "no JACK server running"}, {"pulseaudio", nullptr}, {"alsa", nullptr}},
                  "pulseaudio",
                  {"jack", "pulseaudio"},
                  nullptr},
        OrderCase{"OnlyAlsa",
                  {{"jack", "no JACK server running"},
                   {"pulseaudio", "Connection refused"},
                   {"alsa", nullptr}},
                  "alsa",
                  {"jack", "pulseaudio", "alsa"},
                  nullptr},
        OrderCase{"NothingPlays",
                  {{"jack", "no JACK server running"},
                   {"pulseaudio", "Connection refused"},
                   {"alsa", "no sound card"}},
                  nullptr,
                  {"jack", "pulseaudio", "alsa"},
                  "No audio output could be started (tried: jack (no JACK server running), "
                  "pulseaudio (Connection refused), alsa (no sound card))"},
        OrderCase{"NoCandidates", {}, nullptr, {}, "No audio output could be started (tried: )"}),
    [](const testing::TestParamInfo<OrderCase>& info) { return std::string(info.param.name); });

// Steps of one audio thread's life; hold is 100 frames, blocks are 40.
struct GateStep {
    bool messageBefore;
    int activeVoices;
    bool renders;
};

struct GateCase {
    const char* name;
    std::vector<GateStep> steps;
};

void PrintTo(const GateCase& row, std::ostream* out)
{
    *out << row.name;
}

class SilenceGateTest : public testing::TestWithParam<GateCase> {};

TEST_P(SilenceGateTest, RendersUntilSilentForTheHoldThenSkipsUntilAMessage)
{
    constexpr long holdFrames = 100;
    constexpr long blockFrames = 40;
    SilenceGate gate(holdFrames);
    int step = 0;
    for (const GateStep& expected : GetParam().steps) {
        if (expected.messageBefore) {
            gate.messageSent();
        }
        EXPECT_EQ(gate.messagePending(), expected.messageBefore) << "step " << step;
        EXPECT_EQ(gate.shouldRender(blockFrames, expected.activeVoices), expected.renders)
            << "step " << step;
        EXPECT_FALSE(gate.messagePending()) << "step " << step;
        ++step;
    }
}

// 100 frames of hold take three 40-frame blocks: after 0, 40 and 80 silent frames.
INSTANTIATE_TEST_SUITE_P(Blocks, SilenceGateTest,
                         testing::Values(GateCase{"SilentFromTheStartStopsAfterTheHold",
                                                  {{false, 0, true},
                                                   {false, 0, true},
                                                   {false, 0, true},
                                                   {false, 0, false},
                                                   {false, 0, false}}},
                                         GateCase{"SoundingVoicesKeepItRendering",
                                                  {{false, 0, true},
                                                   {false, 0, true},
                                                   {false, 0, true},
                                                   {false, 2, true},
                                                   {false, 1, true},
                                                   {false, 1, true},
                                                   {false, 1, true},
                                                   {false, 1, true}}},
                                         GateCase{"HoldStartsAgainAfterTheLastVoice",
                                                  {{false, 1, true},
                                                   {false, 0, true},
                                                   {false, 0, true},
                                                   {false, 0, true},
                                                   {false, 0, false}}},
                                         GateCase{"MessageWakesItBeforeAnyVoiceShows",
                                                  {{false, 0, true},
                                                   {false, 0, true},
                                                   {false, 0, true},
                                                   {false, 0, false},
                                                   {true, 0, true},
                                                   {false, 0, true},
                                                   {false, 0, true},
                                                   {false, 0, true},
                                                   {false, 0, false}}},
                                         GateCase{"VoiceAppearingWhileSkippingWakesIt",
                                                  {{false, 0, true},
                                                   {false, 0, true},
                                                   {false, 0, true},
                                                   {false, 0, false},
                                                   {false, 1, true}}}),
                         [](const testing::TestParamInfo<GateCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace midiout
