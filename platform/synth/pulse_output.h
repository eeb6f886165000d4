// An audio output through a PulseAudio stream of our own (PipeWire's PulseAudio server too).
#pragma once

#include "platform/synth/audio_output.h"
#include "platform/synth/synth_renderer.h"

namespace midiout {

// Connects to the server PULSE_SERVER names, or the user's, never starting one. The stream
// keeps about 256 frames queued, is refilled 128 at a time, and is paused (corked) while the
// synth is silent, so that an open, silent synth wakes nothing.
AudioStartResult startPulseOutput(SynthRenderer& renderer, double sampleRate);

}  // namespace midiout
