// Tests of the built-in synthesizer: its engine rendered offline, and the device.
#include "platform/midi/builtin_synth_device.h"
#include "platform/synth/synth_engine.h"
#include "platform/synth/synth_renderer.h"
#include "support/signal_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <concepts>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace midiout {
namespace {

using testsupport::fundamentalHz;
using testsupport::rms;

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t flute = 73;  // General MIDI program with a clean, steady tone
constexpr std::uint8_t kA4 = 0x45;
constexpr float silentRms = 1e-4f;
constexpr float soundingRms = 1e-3f;

// Parameter rows carry a name, which is how test names and failure messages show them.
template <typename Row>
requires std::same_as<decltype(Row::name), const char*>
void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.name;
}

template <typename Row>
std::string rowName(const testing::TestParamInfo<Row>& info)
{
    return info.param.name;
}

class SynthEngineTest : public testing::Test {
protected:
    void SetUp() override
    {
        SynthEngine::CreateResult created = SynthEngine::create();
        ASSERT_TRUE(std::holds_alternative<std::unique_ptr<SynthEngine>>(created))
            << std::get<std::string>(created);
        engine = std::get<std::unique_ptr<SynthEngine>>(std::move(created));
        send({0xC0, flute});
    }

    void send(const Bytes& bytes) { engine->send(bytes); }

    // The left channel of the next `seconds` of output.
    std::vector<float> render(double seconds)
    {
        const auto frames = static_cast<std::size_t>(seconds * engine->sampleRate());
        std::vector<float> left(frames);
        std::vector<float> right(frames);
        engine->render(left, right);
        return left;
    }

    std::unique_ptr<SynthEngine> engine;
};

struct PitchCase {
    const char* name;
    Bytes before;  // sent before the note-on
    std::uint8_t note;
    double hz;
};

class PitchTest : public SynthEngineTest, public testing::WithParamInterface<PitchCase> {};

TEST_P(PitchTest, NoteSoundsAtItsEqualTemperedFrequency)
{
    send(GetParam().before);
    send({0x90, GetParam().note, 0x64});
    render(0.2);
    EXPECT_NEAR(fundamentalHz(render(0.5), engine->sampleRate()), GetParam().hz,
                GetParam().hz * 0.01);
}

// Pitch bend 0x3000 is +1 semitone at the default range of 2; its LSB comes first on the wire.
INSTANTIATE_TEST_SUITE_P(
    Notes, PitchTest,
    testing::Values(PitchCase{"A3_220Hz", {}, 57, 220.0}, PitchCase{"A4_440Hz", {}, kA4, 440.0},
                    PitchCase{"A5_880Hz", {}, 81, 880.0},
                    PitchCase{"A4BentUpASemitone_466Hz", {0xE0, 0x00, 0x60}, kA4, 466.16}),
    rowName<PitchCase>);

struct MessageCase {
    const char* name;
    Bytes message;
    bool sounds;
};

// Sent on a silent engine: does a tone start?
class NoteStartTest : public SynthEngineTest, public testing::WithParamInterface<MessageCase> {};

TEST_P(NoteStartTest, StartsAToneOnlyForACompleteValidNoteOn)
{
    send(GetParam().message);
    render(0.2);
    const float level = rms(render(0.3));
    EXPECT_EQ(level > soundingRms, GetParam().sounds) << "RMS " << level;
}

INSTANTIATE_TEST_SUITE_P(
    Messages, NoteStartTest,
    testing::Values(MessageCase{"NoteOn", {0x90, kA4, 0x64}, true},
                    MessageCase{"NoteOnMissingVelocity", {0x90, kA4}, false},
                    MessageCase{"VelocityAbove7FIsNotMaskedIntoRange", {0x90, kA4, 0xE4}, false},
                    MessageCase{"KeyAbove7FIsNotMaskedIntoRange", {0x90, 0xC5, 0x64}, false},
                    MessageCase{"DataBytesWithoutStatus", {kA4, 0x64, 0x00}, false},
                    MessageCase{"SystemExclusiveStatus", {0xF0, kA4, 0x64}, false}),
    rowName<MessageCase>);

// Sent while A4 sounds on channel 1: is it silent a second later, release tail and reverb done?
class NoteStopTest : public SynthEngineTest, public testing::WithParamInterface<MessageCase> {};

TEST_P(NoteStopTest, SilencesOnlyForAMessageThatEndsTheNote)
{
    send({0x90, kA4, 0x64});
    render(0.3);
    send(GetParam().message);
    render(1.0);
    const float level = rms(render(0.5));
    EXPECT_EQ(level > soundingRms, GetParam().sounds) << "RMS " << level;
    EXPECT_EQ(level < silentRms, !GetParam().sounds) << "RMS " << level;
}

INSTANTIATE_TEST_SUITE_P(
    Messages, NoteStopTest,
    testing::Values(MessageCase{"NothingSent", {}, true},
                    MessageCase{"AllNotesOff", {0xB0, 0x7B, 0x00}, false},
                    MessageCase{"AllNotesOffOnAnotherChannel", {0xB1, 0x7B, 0x00}, true},
                    MessageCase{"NoteOff", {0x80, kA4, 0x40}, false},
                    MessageCase{"NoteOnVelocityZero", {0x90, kA4, 0x00}, false},
                    MessageCase{"NoteOffMissingVelocity", {0x80, kA4}, true},
                    MessageCase{"NoteOffKeyAbove7FIsNotMaskedIntoRange", {0x80, 0xC5, 0x40}, true},
                    MessageCase{"SystemReset", {0xFF}, true}),
    rowName<MessageCase>);

TEST_F(SynthEngineTest, SurvivesEveryStatusByteWithAnyDataAndStillPlays)
{
    constexpr std::uint8_t data[] = {0x00, 0x01, 0x40, kA4, 0x7F, 0x80, 0xC5, 0xFF};
    for (int status = 0x00; status <= 0xFF; ++status) {
        for (const std::uint8_t first : data) {
            for (const std::uint8_t second : data) {
                const Bytes message = {static_cast<std::uint8_t>(status), first, second};
                for (std::size_t length = 0; length <= message.size(); ++length) {
                    engine->send(std::span(message).first(length));
                }
            }
        }
        render(0.001);
    }
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        send({static_cast<std::uint8_t>(0xB0 | channel), 0x78, 0x00});  // all sound off
    }
    render(1.0);
    EXPECT_LT(rms(render(0.2)), silentRms);

    for (const Bytes& restore :
         {Bytes{0xB0, 0x79, 0x00}, Bytes{0xB0, 0x00, 0x00}, Bytes{0xB0, 0x20, 0x00},
          Bytes{0xB0, 0x07, 0x64}, Bytes{0xC0, flute}, Bytes{0x90, kA4, 0x64}}) {
        send(restore);
    }
    render(0.2);
    EXPECT_GT(rms(render(0.3)), soundingRms);
}

struct SoundFontCase {
    const char* name;
    std::string path;
    std::string contents;  // written to path first unless empty
};

class UnloadableSoundFontTest : public testing::TestWithParam<SoundFontCase> {};

TEST_P(UnloadableSoundFontTest, GivesAReasonNamingTheFileAndPrintsNothing)
{
    const SoundFontCase& file = GetParam();
    if (!file.contents.empty()) {
        std::ofstream(file.path, std::ios::binary) << file.contents;
    }
    testing::internal::CaptureStderr();
    SynthEngine::CreateResult created = SynthEngine::create(file.path);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_TRUE(std::holds_alternative<std::string>(created));
    EXPECT_NE(std::get<std::string>(created).find(file.path), std::string::npos)
        << std::get<std::string>(created);
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnloadableSoundFontTest,
    testing::Values(
        SoundFontCase{"Missing", "/nonexistent.sf2", ""},
        SoundFontCase{"NotASoundFont", testing::TempDir() + "vorlik_text.sf2", "not a SoundFont"},
        SoundFontCase{"TruncatedAfterHeader", testing::TempDir() + "vorlik_truncated.sf2",
                      std::string("RIFF\x10\0\0\0sfbkLIST\x04\0\0\0INFO", 24)}),
    rowName<SoundFontCase>);

// A second engine beside the fixture's, fed the same messages, played through a SynthRenderer
// into buffers that start dirty, as an audio driver's may.
class SynthRendererTest : public SynthEngineTest {
protected:
    static constexpr int blockFrames = 128;
    static constexpr float dirt = 0.5f;

    void SetUp() override
    {
        SynthEngineTest::SetUp();
        SynthEngine::CreateResult created = SynthEngine::create();
        ASSERT_TRUE(std::holds_alternative<std::unique_ptr<SynthEngine>>(created));
        played = std::get<std::unique_ptr<SynthEngine>>(std::move(created));
        renderer = std::make_unique<SynthRenderer>(*played);
        sendBoth({0xC0, flute});
    }

    void sendBoth(const Bytes& bytes)
    {
        send(bytes);
        played->send(bytes);
        renderer->messageSent();
    }

    // One block through FluidSynth's audio callback: left and right.
    std::array<std::vector<float>, 2> processBlock()
    {
        std::array<std::vector<float>, 2> out{std::vector<float>(blockFrames, dirt),
                                              std::vector<float>(blockFrames, dirt)};
        float* buffers[] = {out[0].data(), out[1].data()};
        EXPECT_EQ(SynthRenderer::process(renderer.get(), blockFrames, 0, nullptr, 2, buffers),
                  FLUID_OK);
        return out;
    }

    // Enough blocks that a synth silent all along has passed its hold time.
    void processPastTheTail()
    {
        for (int i = 0; i < static_cast<int>(3 * played->sampleRate()) / blockFrames; ++i) {
            processBlock();
        }
    }

    std::unique_ptr<SynthEngine> played;
    std::unique_ptr<SynthRenderer> renderer;
};

TEST_F(SynthRendererTest, CallbackPlaysExactlyWhatTheSynthRendersWhileSounding)
{
    sendBoth({0x90, kA4, 0x64});
    for (int block = 0; block < 20; ++block) {
        std::vector<float> left(blockFrames);
        std::vector<float> right(blockFrames);
        engine->render(left, right);
        const auto out = processBlock();
        for (int i = 0; i < blockFrames; ++i) {
            ASSERT_NEAR(out[0][i], left[i], 1e-6f) << "block " << block << " frame " << i;
            ASSERT_NEAR(out[1][i], right[i], 1e-6f) << "block " << block << " frame " << i;
        }
    }
    EXPECT_GT(rms(processBlock()[0]), soundingRms);
}

TEST_F(SynthRendererTest, SilentSynthGivesZerosOverDirtyBuffersAndWakesOnTheNextNote)
{
    processPastTheTail();
    const auto silent = processBlock();
    EXPECT_TRUE(std::ranges::all_of(silent[0], [](float x) { return x == 0.0f; }));
    EXPECT_TRUE(std::ranges::all_of(silent[1], [](float x) { return x == 0.0f; }));
    std::vector<float> stereo(std::size_t{2} * blockFrames, dirt);
    EXPECT_FALSE(renderer->renderInterleaved(stereo));
    EXPECT_TRUE(std::ranges::all_of(stereo, [](float x) { return x == 0.0f; }));

    sendBoth({0x90, kA4, 0x64});
    EXPECT_TRUE(renderer->renderInterleaved(stereo));
    std::vector<float> sounding;
    for (int block = 0; block < 40; ++block) {
        const auto out = processBlock();
        sounding.insert(sounding.end(), out[0].begin(), out[0].end());
    }
    EXPECT_NEAR(fundamentalHz(sounding, played->sampleRate()), 440.0, 4.4);
}

TEST_F(SynthRendererTest, KeepsRenderingTheReleaseAndReverbTailAfterAllNotesOff)
{
    sendBoth({0x90, kA4, 0x64});
    for (int block = 0; block < 40; ++block) {
        processBlock();
    }
    sendBoth({0xB0, 0x7B, 0x00});
    processBlock();
    // Two blocks on, the note's release still sounds although no message came since.
    EXPECT_GT(rms(processBlock()[0]), 0.0f);
    processPastTheTail();
    std::vector<float> stereo(std::size_t{2} * blockFrames);
    EXPECT_FALSE(renderer->renderInterleaved(stereo));
}

// Sets environment variables for the test's life, restoring them after.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::initializer_list<std::pair<const char*, const char*>> values)
    {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            setenv(name, value, 1);
        }
    }
    ~ScopedEnvironment()
    {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Without a JACK, PipeWire or PulseAudio server only ALSA is left; on a machine without a sound
// card the reason then names all four outputs in order, each with its own reason.
TEST(BuiltinSynthDevice, WithoutSoundServersFallsToAlsaOrNamesEachOutputsReason)
{
    const ScopedEnvironment noServers{{"JACK_DEFAULT_SERVER", "vorlik-no-such-server"},
                                      {"PIPEWIRE_REMOTE", "vorlik-no-such-daemon"},
                                      {"PULSE_SERVER", "unix:/nonexistent/vorlik-pulse"}};
    testing::internal::CaptureStderr();
    OpenResult opened = makeBuiltinSynth()->open(1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    if (auto* reason = std::get_if<std::string>(&opened)) {
        EXPECT_TRUE(
            reason->starts_with("No audio output could be started (tried: jack (the JACK "
                                "server is not running), pipewire (no PipeWire daemon "
                                "answers), pulseaudio ("))
            << *reason;
        EXPECT_NE(reason->find("), alsa ("), std::string::npos) << *reason;
        return;
    }
    auto* output =
        dynamic_cast<BuiltinSynthOutput*>(std::get<std::unique_ptr<OpenOutput>>(opened).get());
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(output->audioDriver(), "alsa");
}

TEST(BuiltinSynthDevice, IsNamedWithinThe32ByteLimit)
{
    const std::optional<std::string> name = makeBuiltinSynth()->name();
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(*name, "Built-in Synthesizer");
    EXPECT_LT(name->size(), 32u);
}

// With no sound card and no audio server every driver fails; then the reason must say so.
TEST(BuiltinSynthDevice, OpenPlaysOrGivesAReasonAndPrintsNothingToTheTerminal)
{
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    OpenResult opened = makeBuiltinSynth()->open(1);
    const std::string printed =
        testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed, "");

    if (auto* reason = std::get_if<std::string>(&opened)) {
        EXPECT_FALSE(reason->empty());
        RecordProperty("open_failure", *reason);
        return;
    }
    auto* output =
        dynamic_cast<BuiltinSynthOutput*>(std::get<std::unique_ptr<OpenOutput>>(opened).get());
    ASSERT_NE(output, nullptr);
    const std::vector<std::string> drivers = {"jack", "pipewire", "pulseaudio", "alsa"};
    EXPECT_NE(std::find(drivers.begin(), drivers.end(), output->audioDriver()), drivers.end());
    RecordProperty("audio_driver", output->audioDriver());
    output->send(0x644590);
    output->send(0x004580);
}

}  // namespace
}  // namespace midiout
