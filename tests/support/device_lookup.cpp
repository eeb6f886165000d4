// Finding a device in the MIDI output functions' list by the name they give it.
#include "support/device_lookup.h"

#include <cstring>

namespace testsupport {

std::optional<winmm::UINT> deviceNamed(const std::string& name)
{
    using namespace winmm;
    const UINT count = midiOutGetNumDevs();
    for (UINT device = 0; device < count; ++device) {
        MIDIOUTCAPSA caps{};
        if (midiOutGetDevCapsA(device, &caps, sizeof caps) == MMSYSERR_NOERROR &&
            std::string(caps.szPname, strnlen(caps.szPname, MAXPNAMELEN)) == name) {
            return device;
        }
    }
    return std::nullopt;
}

}  // namespace testsupport
