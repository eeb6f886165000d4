// The built-in synthesizer's engine: FluidSynth settings, synth and a loaded GM SoundFont.
#pragma once

#include "platform/synth/fluid_library.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <variant>

namespace midiout {

class SynthEngine {
public:
    // Either the engine or, on failure, the reason in words for the user.
    using CreateResult = std::variant<std::unique_ptr<SynthEngine>, std::string>;

    // Loads the first General MIDI SoundFont found in the system's usual places.
    static CreateResult create();
    static CreateResult create(const std::string& soundFontPath);

    // FluidSynth's last logged error since the previous call, or empty; it prints nothing.
    static std::string takeLoggedError();

    SynthEngine(const SynthEngine&) = delete;
    SynthEngine& operator=(const SynthEngine&) = delete;
    ~SynthEngine();

    // One short message as it came off the wire; incomplete or non-channel messages are ignored.
    void send(std::span<const std::uint8_t> bytes);

    // Renders min(left.size(), right.size()) frames offline, samples in -1..1.
    void render(std::span<float> left, std::span<float> right);

    fluid_settings_t* settings() const { return settings_.get(); }
    fluid_synth_t* synth() const { return synth_.get(); }
    // Hz, as set up and as render() uses it; a JACK server at another rate retunes the synth to
    // JACK's own without changing this value.
    double sampleRate() const;

private:
    struct SettingsDeleter {
        void operator()(fluid_settings_t* settings) const
        {
            fluid::delete_fluid_settings(settings);
        }
    };
    struct SynthDeleter {
        void operator()(fluid_synth_t* synth) const { fluid::delete_fluid_synth(synth); }
    };
    using SettingsPtr = std::unique_ptr<fluid_settings_t, SettingsDeleter>;
    using SynthPtr = std::unique_ptr<fluid_synth_t, SynthDeleter>;

    SynthEngine(SettingsPtr settings, SynthPtr synth);

    // Declared in this order so that the synth is deleted before the settings it reads.
    SettingsPtr settings_;
    SynthPtr synth_;
};

}  // namespace midiout
