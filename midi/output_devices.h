// Listing, opening and closing the MIDI output device behind Devicehandle.
#pragma once

#include <string>
#include <vector>

namespace midi {

// The names of the output devices in device-number order. A device whose name cannot be read
// keeps its place as "Output device <number>", so that a position in the list is its number.
std::vector<std::string> outputDeviceNames();

// Closes the device behind Devicehandle (refused quietly when none is open).
void closeDevice();

// Closes the device open before, then opens device number `device` into Devicehandle. On
// failure Devicehandle is 0 and the reason, in words for the user, is returned; on success
// the text is empty.
std::string openDevice(unsigned device);

}  // namespace midi
