// Listing, opening and closing the MIDI output device behind Devicehandle.
#include "midi/output_devices.h"

#include <cstring>

#include "midi/device_handle.h"

namespace midi {

std::vector<std::string> outputDeviceNames()
{
    std::vector<std::string> names;
    const winmm::UINT count = winmm::midiOutGetNumDevs();
    for (winmm::UINT device = 0; device < count; ++device) {
        winmm::MIDIOUTCAPSA caps{};
        if (winmm::midiOutGetDevCapsA(device, &caps, sizeof caps) == winmm::MMSYSERR_NOERROR) {
            names.emplace_back(caps.szPname, strnlen(caps.szPname, winmm::MAXPNAMELEN));
        } else {
            names.push_back("Output device " + std::to_string(device));
        }
    }
    return names;
}

void closeDevice()
{
    winmm::midiOutClose(Devicehandle);
}

std::string openDevice(unsigned device)
{
    closeDevice();
    winmm::HMIDIOUT handle = 0;
    if (winmm::midiOutOpen(&handle, device, 0, 0, 0) != winmm::MMSYSERR_NOERROR) {
        Devicehandle = 0;
        return winmm::midiOutLastOpenError();
    }
    Devicehandle = handle;
    return {};
}

}  // namespace midi
