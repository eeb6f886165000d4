// Fitting a port's name into the 32 bytes of a device name.
#pragma once

#include <string>
#include <string_view>

namespace midiout {

constexpr std::size_t deviceNameBytes = 32;

// A name of up to 32 bytes stays whole. A longer one keeps its head (the client) and its tail
// (the port and its numbers, which tell ports of one client apart), joined by "..", cut only
// at UTF-8 character boundaries.
std::string fitDeviceName(std::string_view name);

}  // namespace midiout
