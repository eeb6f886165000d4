// The built-in synthesizer: a SynthEngine played through the first audio output that starts.
#include "platform/synth/builtin_synth.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "platform/synth/fluid_driver_output.h"
#include "platform/synth/jack_audio_output.h"
#include "platform/synth/pipewire_output.h"
#include "platform/synth/pulse_output.h"

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
bool startsNote(std::span<const std::uint8_t> message)
{
    constexpr std::uint8_t noteOn = 0x90;
    return message.size() == 3 && (message[0] & 0xF0) == noteOn && message[2] != 0;
}

AudioStartResult startListedDriver(std::string_view driver, SynthEngine& engine,
                                   SynthRenderer& renderer)
{
    if (!listedDriver(engine.settings(), driver)) {
        return std::string("not in this FluidSynth");
    }
    return startFluidDriver(driver, engine, renderer);
}

}  // namespace

BuiltinSynth::BuiltinSynth(std::unique_ptr<SynthEngine> engine)
    : engine_(std::move(engine)), renderer_(*engine_)
{
}

BuiltinSynth::~BuiltinSynth() = default;

std::unique_ptr<BuiltinSynth> BuiltinSynth::start(std::unique_ptr<SynthEngine> engine,
                                                  std::string& reason, std::string_view only)
{
    std::unique_ptr<BuiltinSynth> synth(new BuiltinSynth(std::move(engine)));
    SynthEngine& engineRef = *synth->engine_;
    SynthRenderer& renderer = synth->renderer_;
    const std::array<AudioCandidate, 4> candidates = {
        AudioCandidate{"jack", [&] { return startJackAudio(engineRef, renderer); }},
        AudioCandidate{"pipewire",
                       [&] { return startPipeWireOutput(renderer, engineRef.sampleRate()); }},
        AudioCandidate{"pulseaudio",
                       [&] { return startPulseOutput(renderer, engineRef.sampleRate()); }},
        AudioCandidate{"alsa", [&] { return startListedDriver("alsa", engineRef, renderer); }},
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
    synth->audio_ = std::move(audio.output);
    synth->audioDriver_ = std::move(audio.name);
    return synth;
}

// While the audio output's server is gone a note that starts would sound late, once it is back:
// it is refused. Everything else still reaches the synth, so that programs and controllers stay
// as sent.
bool BuiltinSynth::play(std::span<const std::uint8_t> message)
{
    if (startsNote(message) && !audio_->silenceReason().empty()) {
        return false;
    }
    engine_->send(message);
    renderer_.messageSent();
    audio_->messageSent();
    return true;
}

}  // namespace midiout
