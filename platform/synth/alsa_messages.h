// Where the ALSA library's messages go.
#pragma once

namespace midiout {

// ALSA's error messages are dropped, once for the process: an ALSA port or audio output that
// cannot start says so through a return value, never on the terminal.
void dropAlsaMessages();

}  // namespace midiout
