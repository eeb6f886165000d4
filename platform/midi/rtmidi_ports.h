// The MIDI output ports that RtMidi finds through the ALSA sequencer and through JACK.
#pragma once

#include "platform/midi/output_device.h"

namespace midiout {

enum class PortApi { alsaSequencer, jack };

// One device per output port, in RtMidi's order; none when the API cannot start. Never starts
// a JACK server and prints nothing.
DeviceList rtMidiPorts(PortApi api);

}  // namespace midiout
