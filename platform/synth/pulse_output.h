// An audio output through a PulseAudio stream of our own (PipeWire's PulseAudio server too).
#pragma once

#include "platform/synth/audio_output.h"
#include "platform/synth/synth_renderer.h"

namespace midiout {

// Connects to the server PULSE_SERVER names, or the user's, never starting one. While sounding
// the stream keeps 64 frames in all, refilled 16 at a time; while the synth is silent it goes
// over to 200 ms refilled 50 ms at a time, so that an open, silent synth seldom wakes anyone.
// When the server goes, the output tries to reach it again every 250 ms and plays on once it
// answers; voices sounding or started meanwhile are ended then.
AudioStartResult startPulseOutput(SynthRenderer& renderer, double sampleRate);

}  // namespace midiout
