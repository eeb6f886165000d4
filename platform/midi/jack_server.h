// Whether a JACK server is running, asked without ever starting one.
#pragma once

namespace midiout {

// Opens and closes a short-lived client of the server JACK_DEFAULT_SERVER names (or the
// default one); prints nothing.
bool jackServerRunning();

}  // namespace midiout
