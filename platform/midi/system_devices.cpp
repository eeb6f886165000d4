// The machine's MIDI output devices, in the order the device list numbers them.
#include "platform/midi/alsa_ports.h"
#include "platform/midi/builtin_synth_device.h"
#include "platform/midi/device_enumerator.h"
#include "platform/midi/jack_ports.h"

#include <algorithm>
#include <iterator>

namespace midiout {
namespace {

void append(DeviceList& devices, DeviceList more)
{
    std::move(more.begin(), more.end(), std::back_inserter(devices));
}

}  // namespace

DeviceList systemDevices()
{
    DeviceList devices;
    devices.push_back(makeBuiltinSynth());
    append(devices, alsaSequencerPorts());
    append(devices, jackPorts());
    return devices;
}

}  // namespace midiout
