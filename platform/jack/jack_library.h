// The JACK client library the process runs with: which one, and where its messages go.
#pragma once

namespace midiout {

// JACK's error and info messages are dropped, once for the process: a JACK client that cannot
// start says so through a return value, never on the terminal.
void dropJackMessages();

// True when it is PipeWire's own (through pw-jack, or installed as the system's libjack) rather
// than the library that talks to jackd. That one always "has a server" while PipeWire runs, runs
// its clients at the graph's quantum and waits without a timeout.
bool jackLibraryIsPipeWire();

}  // namespace midiout
