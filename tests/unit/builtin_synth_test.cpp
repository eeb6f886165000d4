// Tests of the built-in synthesizer: its engine rendered offline, and the device.
#include "platform/midi/builtin_synth.h"
#include "platform/midi/synth_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <concepts>
#include <fstream>
#include <span>
#include <string>
#include <vector>

namespace midiout {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t flute = 73;  // General MIDI program with a clean, steady tone
constexpr std::uint8_t kA4 = 0x45;
constexpr float silentRms = 1e-4f;
constexpr float soundingRms = 1e-3f;

// Autocorrelation pitch estimate, 50 Hz to 2 kHz: the first lag that comes within 10 % of the
// strongest, refined by a parabola through its neighbours. 0 when nothing periodic is found.
double fundamentalHz(const std::vector<float>& x, double rate)
{
    const auto minLag = static_cast<std::size_t>(rate / 2000.0);
    const auto maxLag = static_cast<std::size_t>(rate / 50.0);
    std::vector<double> r(maxLag + 2, 0.0);
    for (std::size_t lag = minLag - 1; lag <= maxLag + 1; ++lag) {
        for (std::size_t i = 0; i + lag < x.size(); ++i) {
            r[lag] += double{x[i]} * x[i + lag];
        }
    }
    const double strongest = std::ranges::max(std::span(r).subspan(minLag, maxLag - minLag + 1));
    for (std::size_t lag = minLag; lag <= maxLag; ++lag) {
        if (r[lag] >= 0.9 * strongest && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
            const double curvature = r[lag - 1] - 2.0 * r[lag] + r[lag + 1];
            const double offset =
                curvature == 0.0 ? 0.0 : 0.5 * (r[lag - 1] - r[lag + 1]) / curvature;
            return rate / (static_cast<double>(lag) + offset);
        }
    }
    return 0.0;
}

float rms(const std::vector<float>& x)
{
    double sum = 0.0;
    for (const float sample : x) {
        sum += double{sample} * sample;
    }
    return static_cast<float>(
        std::sqrt(sum / static_cast<double>(std::max<std::size_t>(x.size(), 1))));
}

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
    const std::vector<std::string> drivers = {"pipewire", "pulseaudio", "jack", "alsa"};
    EXPECT_NE(std::find(drivers.begin(), drivers.end(), output->audioDriver()), drivers.end());
    RecordProperty("audio_driver", output->audioDriver());
    output->send(0x644590);
    output->send(0x004580);
}

}  // namespace
}  // namespace midiout
