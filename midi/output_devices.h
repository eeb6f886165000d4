// Listing, opening and closing the MIDI output device behind Devicehandle.
#pragma once

#include <string>
#include <vector>

namespace midi {

// The names of the output devices in device-number order. A device whose name cannot be read
// keeps its place as "Output device <number>", so that a position in the list is its number.
std::vector<std::string> outputDeviceNames();

// Starts in the background what takes long about listing the devices later; lists nothing.
void prepareOutputDevices();

// Closes the device behind Devicehandle (refused quietly when none is open).
void closeDevice();

// Opens device number `device`; only once it is open is the device opened before closed and
// Devicehandle set to the new one. On failure nothing changes, the device opened before stays
// in use, and the reason, in words for the user, is returned; on success the text is empty.
std::string openDevice(unsigned device);

// Whether the device behind Devicehandle is open.
bool deviceOpen();

// Why the open device cannot sound now (for instance its server has stopped), in words for the
// user; empty while it can, as far as is known, or when none is open.
std::string deviceSilenceReason();

// Closes the device and every connection to a MIDI or sound server, as the program ends. False
// when a server did not answer: the program must then end without the libraries' teardown.
bool finishOutput();

}  // namespace midi
