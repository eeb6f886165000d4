// The built-in synthesizer as a MIDI output device: a SynthEngine played through an audio output.
#pragma once

#include "platform/midi/output_device.h"
#include "platform/synth/audio_output.h"
#include "platform/synth/synth_engine.h"
#include "platform/synth/synth_renderer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace midiout {

inline constexpr std::string_view builtinSynthName = "Built-in Synthesizer";

class BuiltinSynthOutput final : public OpenOutput {
public:
    // Starts the first audio output that plays, or only the one named `only` ("jack",
    // "pipewire", "pulseaudio", "alsa") when given, for measuring each; null with the reason in
    // `reason` otherwise.
    static std::unique_ptr<BuiltinSynthOutput> start(std::unique_ptr<SynthEngine> engine,
                                                     std::string& reason,
                                                     std::string_view only = {});
    ~BuiltinSynthOutput() override;

    // Refuses a note-on while the audio output's server is gone.
    bool send(std::uint32_t packed) override;
    std::string silenceReason() const override { return audio_->silenceReason(); }

    // The audio output that plays: "jack", "pipewire", "pulseaudio" or "alsa".
    const std::string& audioDriver() const { return audioDriver_; }

private:
    explicit BuiltinSynthOutput(std::unique_ptr<SynthEngine> engine);

    // Declared in this order so that the audio output stops before the renderer and the synth
    // it pulls from go.
    std::unique_ptr<SynthEngine> engine_;
    SynthRenderer renderer_;
    std::unique_ptr<AudioOutput> audio_;
    std::string audioDriver_;
};

// The device lists under builtinSynthName; the SoundFont loads and audio starts only on open().
// Audio plays through JACK when jackd runs, else through a PipeWire stream when a PipeWire
// daemon answers, else through PulseAudio, else through ALSA.
std::unique_ptr<OutputDevice> makeBuiltinSynth();

}  // namespace midiout
