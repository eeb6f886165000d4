// The machine's MIDI output devices, in the order the device list numbers them.
#include "platform/midi/builtin_synth.h"
#include "platform/midi/device_enumerator.h"
#include "platform/midi/rtmidi_ports.h"

namespace midiout {

DeviceList systemDevices()
{
    DeviceList devices;
    devices.push_back(makeBuiltinSynth());
    for (const PortApi api : {PortApi::alsaSequencer, PortApi::jack}) {
        DeviceList ports = rtMidiPorts(api);
        std::move(ports.begin(), ports.end(), std::back_inserter(devices));
    }
    return devices;
}

}  // namespace midiout
