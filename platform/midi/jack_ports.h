// The MIDI input ports of a running JACK server, as output devices of this program.
#pragma once

#include "platform/midi/output_device.h"

namespace midiout {

// One device per MIDI input port, in the server's order; none when no server runs. Never
// starts a server and prints nothing.
DeviceList jackPorts();

}  // namespace midiout
