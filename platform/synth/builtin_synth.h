// The built-in synthesizer: a SynthEngine played through the first audio output that starts.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/synth/audio_output.h"
#include "platform/synth/synth_engine.h"
#include "platform/synth/synth_renderer.h"

namespace midiout {

class BuiltinSynth {
public:
    // Starts the first audio output that plays, or only the one named `only` ("jack",
    // "pipewire", "pulseaudio", "alsa") when given, for measuring each; null with the reason in
    // `reason` otherwise. Audio plays through JACK when jackd runs, else through a PipeWire
    // stream when a PipeWire daemon answers, else through PulseAudio, else through ALSA.
    static std::unique_ptr<BuiltinSynth> start(std::unique_ptr<SynthEngine> engine,
                                               std::string& reason, std::string_view only = {});
    ~BuiltinSynth();
    BuiltinSynth(const BuiltinSynth&) = delete;
    BuiltinSynth& operator=(const BuiltinSynth&) = delete;

    // Plays one message's bytes; false, dropping it, for a note-on while the audio output's
    // server is gone.
    bool play(std::span<const std::uint8_t> message);
    // Why the audio output makes no sound now; empty while it plays.
    std::string silenceReason() const { return audio_->silenceReason(); }
    // The audio output that plays: "jack", "pipewire", "pulseaudio" or "alsa".
    const std::string& audioDriver() const { return audioDriver_; }

private:
    explicit BuiltinSynth(std::unique_ptr<SynthEngine> engine);

    // Declared in this order so that the audio output stops before the renderer and the synth
    // it pulls from go.
    std::unique_ptr<SynthEngine> engine_;
    SynthRenderer renderer_;
    std::unique_ptr<AudioOutput> audio_;
    std::string audioDriver_;
};

}  // namespace midiout
