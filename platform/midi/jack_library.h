// Which JACK client library the process runs with.
#pragma once

namespace midiout {

// True when it is PipeWire's own (through pw-jack, or installed as the system's libjack) rather
// than the library that talks to jackd. That one always "has a server" while PipeWire runs, runs
// its clients at the graph's quantum and waits without a timeout.
bool jackLibraryIsPipeWire();

}  // namespace midiout
