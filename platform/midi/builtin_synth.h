// The built-in synthesizer as a MIDI output device: a SynthEngine played through an audio driver.
#pragma once

#include "platform/midi/output_device.h"
#include "platform/midi/synth_engine.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace midiout {

inline constexpr std::string_view builtinSynthName = "Built-in Synthesizer";

class BuiltinSynthOutput final : public OpenOutput {
public:
    struct DriverDeleter {
        void operator()(fluid_audio_driver_t* driver) const { delete_fluid_audio_driver(driver); }
    };
    using DriverPtr = std::unique_ptr<fluid_audio_driver_t, DriverDeleter>;

    BuiltinSynthOutput(std::unique_ptr<SynthEngine> engine, DriverPtr driver,
                       std::string audioDriver);

    bool send(std::uint32_t packed) override;

    // FluidSynth's name of the audio driver that plays: "pipewire", "pulseaudio", "jack" or "alsa".
    const std::string& audioDriver() const { return audioDriver_; }

private:
    // Declared in this order so that the driver stops before the synth it pulls audio from goes.
    std::unique_ptr<SynthEngine> engine_;
    DriverPtr driver_;
    std::string audioDriver_;
};

// The device lists under builtinSynthName; the SoundFont loads and audio starts only on open().
std::unique_ptr<OutputDevice> makeBuiltinSynth();

}  // namespace midiout
