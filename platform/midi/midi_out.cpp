// The five MIDI output functions over the devices of the last enumeration.
#include "platform/midi/midi_out.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <utility>

#include "platform/jack/jack_session.h"
#include "platform/midi/alsa_ports.h"
#include "platform/midi/device_enumerator.h"
#include "platform/midi/port_name.h"
#include "platform/servers/bounded_call.h"

namespace winmm {
namespace {

struct OutputState {
    midiout::DeviceEnumerator enumerate = midiout::systemDevices;
    midiout::DeviceList devices;
    bool enumerated = false;
    std::map<HMIDIOUT, std::unique_ptr<midiout::OpenOutput>> open;
    HMIDIOUT lastHandle = 0;
    std::string lastOpenError;
};

OutputState& state()
{
    static OutputState s;
    return s;
}

void enumerate()
{
    OutputState& s = state();
    s.devices = s.enumerate();
    s.enumerated = true;
}

midiout::OutputDevice* device(UINT_PTR deviceId)
{
    OutputState& s = state();
    if (!s.enumerated) {
        enumerate();
    }
    return deviceId < s.devices.size() ? s.devices[deviceId].get() : nullptr;
}

// Closing an output may wait on a sound or MIDI server; one that stopped answering must not hold
// the program up. An output that overruns this is left to close by itself.
constexpr std::chrono::milliseconds closeDeadline{1000};

bool closeBounded(std::unique_ptr<midiout::OpenOutput> output)
{
    return midiout::runBounded(
        [output = std::shared_ptr(std::move(output))]() mutable { output.reset(); }, closeDeadline);
}

MMRESULT failOpen(MMRESULT code, std::string reason)
{
    state().lastOpenError = std::move(reason);
    return code;
}

}  // namespace

UINT midiOutGetNumDevs()
{
    enumerate();
    return static_cast<UINT>(state().devices.size());
}

MMRESULT midiOutGetDevCapsA(UINT_PTR deviceId, MIDIOUTCAPSA* caps, UINT capsSize)
{
    if (caps == nullptr || capsSize < sizeof(MIDIOUTCAPSA)) {
        return MMSYSERR_INVALPARAM;
    }
    const midiout::OutputDevice* dev = device(deviceId);
    if (dev == nullptr) {
        return MMSYSERR_BADDEVICEID;
    }
    const std::optional<std::string> name = dev->name();
    if (!name) {
        return MMSYSERR_ERROR;
    }
    const std::string fitted = midiout::fitDeviceName(*name);
    std::memset(caps, 0, sizeof(MIDIOUTCAPSA));
    std::memcpy(caps->szPname, fitted.data(), fitted.size());
    caps->wChannelMask = 0xFFFF;
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutOpen(HMIDIOUT* handle, UINT deviceId, DWORD_PTR callback, DWORD_PTR instance,
                     DWORD flags)
{
    if (handle == nullptr || callback != 0 || instance != 0 || flags != 0) {
        return failOpen(MMSYSERR_INVALPARAM, "Callbacks on MIDI output are not supported.");
    }
    midiout::OutputDevice* dev = device(deviceId);
    if (dev == nullptr) {
        return failOpen(MMSYSERR_BADDEVICEID,
                        "There is no output device " + std::to_string(deviceId) + ".");
    }
    OutputState& s = state();
    if (s.lastHandle == std::numeric_limits<HMIDIOUT>::max()) {
        return failOpen(MMSYSERR_NOMEM, "No more device handles are left.");
    }
    const HMIDIOUT candidate = s.lastHandle + 1;
    midiout::OpenResult result = dev->open(candidate);
    if (auto* reason = std::get_if<std::string>(&result)) {
        return failOpen(MIDIERR_NODEVICE, std::move(*reason));
    }
    s.lastHandle = candidate;
    s.open.emplace(candidate, std::get<std::unique_ptr<midiout::OpenOutput>>(std::move(result)));
    s.lastOpenError.clear();
    *handle = candidate;
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutShortMsg(HMIDIOUT handle, DWORD message)
{
    OutputState& s = state();
    const auto it = s.open.find(handle);
    if (it == s.open.end()) {
        return MMSYSERR_INVALHANDLE;
    }
    return it->second->send(message) ? MMSYSERR_NOERROR : MIDIERR_NODEVICE;
}

MMRESULT midiOutClose(HMIDIOUT handle)
{
    OutputState& s = state();
    const auto it = s.open.find(handle);
    if (it == s.open.end()) {
        return MMSYSERR_INVALHANDLE;
    }
    std::unique_ptr<midiout::OpenOutput> output = std::move(it->second);
    s.open.erase(it);
    closeBounded(std::move(output));
    return MMSYSERR_NOERROR;
}

std::string midiOutLastOpenError()
{
    return state().lastOpenError;
}

std::string midiOutSilenceReason(HMIDIOUT handle)
{
    const OutputState& s = state();
    const auto it = s.open.find(handle);
    return it == s.open.end() ? std::string() : it->second->silenceReason();
}

}  // namespace winmm

namespace midiout {

void prepareDevices()
{
    const DeviceEnumerator& enumerate = winmm::state().enumerate;
    if (const auto* function = enumerate.target<DeviceList (*)()>();
        function != nullptr && *function == &systemDevices) {
        JackSession::prepare();
        prepareAlsaSequencer();
    }
}

bool shutDown()
{
    winmm::OutputState& s = winmm::state();
    while (!s.open.empty()) {
        winmm::midiOutClose(s.open.begin()->first);
    }
    s.devices.clear();
    return JackSession::disconnect() && !boundedWorkOverran();
}

DeviceEnumerator setDeviceEnumerator(DeviceEnumerator enumerator)
{
    winmm::OutputState& s = winmm::state();
    s.enumerated = false;
    s.devices.clear();
    return std::exchange(s.enumerate, std::move(enumerator));
}

}  // namespace midiout
