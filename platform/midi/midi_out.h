// The five MIDI output functions, with the contract of the Windows multimedia ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace winmm {

using UINT = unsigned int;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using DWORD_PTR = std::uintptr_t;
using UINT_PTR = std::uintptr_t;
using MMRESULT = UINT;
using MMVERSION = UINT;
using HMIDIOUT = std::uint32_t;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MIDIERR_NODEVICE = 68;

constexpr std::size_t MAXPNAMELEN = 32;

struct MIDIOUTCAPSA {
    WORD wMid;
    WORD wPid;
    MMVERSION vDriverVersion;
    char szPname[MAXPNAMELEN];  // not NUL-terminated when the name fills all 32 bytes
    WORD wTechnology;
    WORD wVoices;
    WORD wNotes;
    WORD wChannelMask;
    DWORD dwSupport;
};
static_assert(sizeof(MIDIOUTCAPSA) == 52);
static_assert(offsetof(MIDIOUTCAPSA, szPname) == 8);

// Lists the output devices anew; later calls number devices by this list.
UINT midiOutGetNumDevs();
MMRESULT midiOutGetDevCapsA(UINT_PTR deviceId, MIDIOUTCAPSA* caps, UINT capsSize);
// On success stores a new non-zero handle, never handed out before. Callbacks are not supported:
// callback, instance and flags must be 0.
MMRESULT midiOutOpen(HMIDIOUT* handle, UINT deviceId, DWORD_PTR callback, DWORD_PTR instance,
                     DWORD flags);
// Sends the packed value as 1 to 3 bytes; refused on a zero, unknown or closed handle.
MMRESULT midiOutShortMsg(HMIDIOUT handle, DWORD message);
MMRESULT midiOutClose(HMIDIOUT handle);

// Why the last failing midiOutOpen failed, in words for the user; empty after a success.
std::string midiOutLastOpenError();
// Why messages sent through the handle do not reach its device now, in words for the user;
// empty while they do as far as is known, and for a handle that is not open.
std::string midiOutSilenceReason(HMIDIOUT handle);

}  // namespace winmm

namespace midiout {

// Starts, in the background, what takes long about listing the machine's devices (connecting to
// a JACK server), so that the first midiOutGetNumDevs finds it done. Lists nothing itself.
void prepareDevices();

// Closes every output still open and the program's connection to the JACK server, as the
// program ends and before any library's own teardown. False when a server did not answer in
// time, so that a call into its library may still be under way: the program must then end
// without running the libraries' teardown.
bool shutDown();

}  // namespace midiout
