// Keeps the MIDI and audio libraries from printing on the terminal.
#pragma once

#include <iosfwd>
#include <sstream>

namespace midiout {

// While it lives, ALSA's and JACK's error and info messages and RtMidi's own (which go to
// std::cerr) are dropped: an API or audio output that cannot start says so through a return
// value, never on the terminal.
class QuietLibraries {
public:
    QuietLibraries();
    ~QuietLibraries();
    QuietLibraries(const QuietLibraries&) = delete;
    QuietLibraries& operator=(const QuietLibraries&) = delete;

private:
    std::ostringstream dropped_;
    std::streambuf* savedCerr_;
};

}  // namespace midiout
