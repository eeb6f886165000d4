// Whether a JACK server is running, asked without ever starting one.
#pragma once

namespace midiout {

// True while the program's JACK session answers, connecting it first when needed (to the server
// JACK_DEFAULT_SERVER names, or the default one); prints nothing.
bool jackServerRunning();

}  // namespace midiout
