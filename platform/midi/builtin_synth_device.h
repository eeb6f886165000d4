// Device 0: the built-in synthesizer as a MIDI output device.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/midi/output_device.h"
#include "platform/synth/builtin_synth.h"

namespace midiout {

inline constexpr std::string_view builtinSynthName = "Built-in Synthesizer";

class BuiltinSynthOutput final : public OpenOutput {
public:
    // As BuiltinSynth::start().
    static std::unique_ptr<BuiltinSynthOutput> start(std::unique_ptr<SynthEngine> engine,
                                                     std::string& reason,
                                                     std::string_view only = {});

    // Refuses a note-on while the audio output's server is gone.
    bool send(std::uint32_t packed) override;
    std::string silenceReason() const override { return synth_->silenceReason(); }

    // The audio output that plays: "jack", "pipewire", "pulseaudio" or "alsa".
    const std::string& audioDriver() const { return synth_->audioDriver(); }

private:
    explicit BuiltinSynthOutput(std::unique_ptr<BuiltinSynth> synth) : synth_(std::move(synth)) {}

    std::unique_ptr<BuiltinSynth> synth_;
};

// The device lists under builtinSynthName; the SoundFont loads and audio starts only on open().
std::unique_ptr<OutputDevice> makeBuiltinSynth();

}  // namespace midiout
