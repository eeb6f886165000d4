// The built-in synthesizer's audio through the program's JACK session.
#pragma once

#include "platform/synth/audio_output.h"
#include "platform/synth/synth_engine.h"
#include "platform/synth/synth_renderer.h"

namespace midiout {

// Two output ports of the program's client, "synth-left" and "synth-right", connected to the
// first two physical playback ports and rendered in the session's own cycle; the synth is retuned
// to the server's rate. Not under PipeWire's JACK library: the PipeWire stream serves better
// there. The reason on failure is a fragment: "the JACK server is not running".
AudioStartResult startJackAudio(SynthEngine& engine, SynthRenderer& renderer);

}  // namespace midiout
