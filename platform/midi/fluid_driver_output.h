// An audio output through one of FluidSynth's own drivers ("jack", "alsa"), pulling from a
// SynthRenderer.
#pragma once

#include "platform/midi/audio_output.h"
#include "platform/midi/synth_engine.h"
#include "platform/midi/synth_renderer.h"

#include <string_view>

namespace midiout {

// For "jack": the client is named jackClientName and its ports are connected to the system's
// playback ports. The reason on failure is FluidSynth's last logged error.
AudioStartResult startFluidDriver(std::string_view driver, SynthEngine& engine,
                                  SynthRenderer& renderer);

// The MIDI outputs' client is "vorlik"; the synthesizer's audio has a client of its own.
inline constexpr std::string_view jackClientName = "vorlik-synth";

}  // namespace midiout
