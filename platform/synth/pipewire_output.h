// An audio output through a PipeWire stream of our own.
#pragma once

#include "platform/synth/audio_output.h"
#include "platform/synth/synth_renderer.h"

namespace midiout {

// Connects to the PipeWire daemon of the session, never starting one, and plays into the
// default sink. While sounding the stream asks the graph for a 64-frame quantum (1.3 ms at
// 48 kHz); once the synth has been silent for about 6 s it stops taking part in the graph, so
// that an open, silent synth neither wakes nor holds the whole graph at its small quantum, and it
// joins again on the next message. When the daemon goes, the output tries to reach it again
// every 250 ms and plays on once it answers; voices sounding or started meanwhile are ended then.
AudioStartResult startPipeWireOutput(SynthRenderer& renderer, double sampleRate);

}  // namespace midiout
