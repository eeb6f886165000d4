// Keeps the MIDI and audio libraries from printing on the terminal.
#include "platform/midi/quiet_libraries.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <iostream>

namespace midiout {
namespace {

void dropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
void dropJackMessage(const char*) {}

// ALSA and JACK print through handlers that are process-wide; the program never wants their
// messages on the terminal, so they are replaced once and for good.
void silenceCLibraries()
{
    static const bool silenced = [] {
        snd_lib_error_set_handler(dropAlsaMessage);
        jack_set_error_function(dropJackMessage);
        jack_set_info_function(dropJackMessage);
        return true;
    }();
    (void)silenced;
}

}  // namespace

QuietLibraries::QuietLibraries() : savedCerr_(std::cerr.rdbuf(dropped_.rdbuf()))
{
    silenceCLibraries();
}

QuietLibraries::~QuietLibraries()
{
    std::cerr.rdbuf(savedCerr_);
}

}  // namespace midiout
