// Which devices the MIDI output functions list: the machine's own, or ones a test installs.
#pragma once

#include <functional>

#include "platform/midi/output_device.h"

namespace midiout {

using DeviceEnumerator = std::function<DeviceList()>;

// The machine's devices: the built-in synthesizer first, then the ALSA sequencer's and
// JACK's output ports in the order RtMidi reports them.
DeviceList systemDevices();

// Makes later enumerations call the given function; returns the one it replaces.
DeviceEnumerator setDeviceEnumerator(DeviceEnumerator enumerator);

}  // namespace midiout
