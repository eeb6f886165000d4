// The built-in synthesizer as a MIDI output device: a SynthEngine played through an audio output.
#include "platform/synth/builtin_synth.h"

#include "platform/midi/short_message.h"
#include "platform/synth/fluid_driver_output.h"
#include "platform/synth/jack_audio_output.h"
#include "platform/synth/pipewire_output.h"
#include "platform/synth/pulse_output.h"

#include <algorithm>
#include <array>
#include <span>
#include <utility>
#include <vector>

namespace midiout {
namespace {

void collectOption(void* names, const char*, const char* option)
{
    static_cast<std::vector<std::string>*>(names)->emplace_back(option);
}

bool listedDriver(fluid_settings_t* settings, std::string_view driver)
{
    std::vector<std::string> names;
    fluid::fluid_settings_foreach_option(settings, "audio.driver", &names, collectOption);
    return std::find(names.begin(), names.end(), driver) != names.end();
}

// A note-on of some loudness: the start of a sound.
bool startsNote(const ShortMessageBytes& message)
{
    constexpr std::uint8_t noteOn = 0x90;
    return message.size == 3 && (message.data[0] & 0xF0) == noteOn && message.data[2] != 0;
}

AudioStartResult startListedDriver(std::string_view driver, SynthEngine& engine,
                                   SynthRenderer& renderer)
{
    if (!listedDriver(engine.settings(), driver)) {
        return std::string("not in this FluidSynth");
    }
    return startFluidDriver(driver, engine, renderer);
}

class BuiltinSynth final : public OutputDevice {
public:
    std::optional<std::string> name() const override { return std::string(builtinSynthName); }

    OpenResult open(std::uint32_t) override
    {
        SynthEngine::CreateResult created = SynthEngine::create();
        if (auto* reason = std::get_if<std::string>(&created)) {
            return std::move(*reason);
        }
        std::string reason;
        auto output = BuiltinSynthOutput::start(
            std::get<std::unique_ptr<SynthEngine>>(std::move(created)), reason);
        if (!output) {
            return reason;
        }
        return output;
    }
};

}  // namespace

BuiltinSynthOutput::BuiltinSynthOutput(std::unique_ptr<SynthEngine> engine)
    : engine_(std::move(engine)), renderer_(*engine_)
{
}

BuiltinSynthOutput::~BuiltinSynthOutput() = default;

std::unique_ptr<BuiltinSynthOutput> BuiltinSynthOutput::start(std::unique_ptr<SynthEngine> engine,
                                                              std::string& reason,
                                                              std::string_view only)
{
    std::unique_ptr<BuiltinSynthOutput> output(new BuiltinSynthOutput(std::move(engine)));
    SynthEngine& synth = *output->engine_;
    SynthRenderer& renderer = output->renderer_;
    const std::array<AudioCandidate, 4> candidates = {
        AudioCandidate{"jack", [&] { return startJackAudio(synth, renderer); }},
        AudioCandidate{"pipewire",
                       [&] { return startPipeWireOutput(renderer, synth.sampleRate()); }},
        AudioCandidate{"pulseaudio",
                       [&] { return startPulseOutput(renderer, synth.sampleRate()); }},
        AudioCandidate{"alsa", [&] { return startListedDriver("alsa", synth, renderer); }},
    };
    std::span<const AudioCandidate> tried = candidates;
    if (!only.empty()) {
        const auto named = std::find_if(candidates.begin(), candidates.end(),
                                        [&](const AudioCandidate& c) { return c.name == only; });
        tried = named == candidates.end() ? tried.first(0) : std::span(named, 1);
    }
    auto started = startFirstAudioOutput(tried);
    if (auto* why = std::get_if<std::string>(&started)) {
        reason = std::move(*why);
        return nullptr;
    }
    auto& audio = std::get<StartedAudio>(started);
    output->audio_ = std::move(audio.output);
    output->audioDriver_ = std::move(audio.name);
    return output;
}

// While the audio output's server is gone a note that starts would sound late, once it is back:
// it is refused. Everything else still reaches the synth, so that programs and controllers stay
// as sent.
bool BuiltinSynthOutput::send(std::uint32_t packed)
{
    const ShortMessageBytes message = unpackShortMessage(packed);
    if (startsNote(message) && !audio_->silenceReason().empty()) {
        return false;
    }
    engine_->send(message.bytes());
    renderer_.messageSent();
    audio_->messageSent();
    return true;
}

std::unique_ptr<OutputDevice> makeBuiltinSynth()
{
    return std::make_unique<BuiltinSynth>();
}

}  // namespace midiout
