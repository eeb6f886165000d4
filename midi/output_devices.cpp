// Listing, opening and closing the MIDI output device behind Devicehandle.
#include "midi/output_devices.h"

#include <cstring>

#include "midi/device_handle.h"

namespace midi {
namespace {

// Whether Devicehandle names a device that is open; it keeps its value after closing.
bool handleOpen = false;

}  // namespace

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

void prepareOutputDevices()
{
    midiout::prepareDevices();
}

void closeDevice()
{
    winmm::midiOutClose(Devicehandle);
    handleOpen = false;
}

std::string openDevice(unsigned device)
{
    winmm::HMIDIOUT handle = 0;
    if (winmm::midiOutOpen(&handle, device, 0, 0, 0) != winmm::MMSYSERR_NOERROR) {
        return winmm::midiOutLastOpenError();
    }
    closeDevice();
    Devicehandle = handle;
    handleOpen = true;
    return {};
}

bool deviceOpen()
{
    return handleOpen;
}

std::string deviceSilenceReason()
{
    return handleOpen ? winmm::midiOutSilenceReason(Devicehandle) : std::string();
}

bool finishOutput()
{
    closeDevice();
    return midiout::shutDown();
}

}  // namespace midi
