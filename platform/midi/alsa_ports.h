// The MIDI output ports of the ALSA sequencer, found and opened through RtMidi.
#pragma once

#include "platform/midi/output_device.h"

namespace midiout {

// One device per output port, in RtMidi's order; none when there is no ALSA sequencer. Prints
// nothing.
DeviceList alsaSequencerPorts();

}  // namespace midiout
