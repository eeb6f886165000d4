// The handle of the open MIDI output device, one for the whole program.
#pragma once

#include "platform/midi/midi_out.h"

namespace midi {

// 0 until a device is opened; every message goes out through it. Closing leaves it as it is,
// so later sends go to a closed handle and are refused.
inline winmm::HMIDIOUT Devicehandle = 0;

}  // namespace midi
