// Finding a device in the MIDI output functions' list by the name they give it.
#pragma once

#include <optional>
#include <string>

#include "platform/midi/midi_out.h"

namespace testsupport {

// The number of the first device listed under `name` (as fitted to 32 bytes), enumerating anew.
std::optional<winmm::UINT> deviceNamed(const std::string& name);

}  // namespace testsupport
