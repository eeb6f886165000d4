// The MIDI output ports of the ALSA sequencer, found and opened through RtMidi.
#pragma once

#include "platform/midi/output_device.h"

namespace midiout {

// One device per output port, in RtMidi's order; none when there is no ALSA sequencer. Prints
// nothing.
DeviceList alsaSequencerPorts();

// Starts, in the background, what makes the first connection to the sequencer slow (reading
// ALSA's configuration and loading its plugins), so that the first listing is quick.
void prepareAlsaSequencer();

}  // namespace midiout
