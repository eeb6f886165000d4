// An audio output through one of FluidSynth's own drivers ("alsa"), pulling from a SynthRenderer.
#pragma once

#include "platform/synth/audio_output.h"
#include "platform/synth/synth_engine.h"
#include "platform/synth/synth_renderer.h"

#include <string_view>

namespace midiout {

// The reason on failure is FluidSynth's last logged error.
AudioStartResult startFluidDriver(std::string_view driver, SynthEngine& engine,
                                  SynthRenderer& renderer);

}  // namespace midiout
