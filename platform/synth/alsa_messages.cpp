// Where the ALSA library's messages go.
#include "platform/synth/alsa_messages.h"

#include <alsa/asoundlib.h>

#include <mutex>

namespace midiout {
namespace {

void dropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void dropAlsaMessages()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(dropAlsaMessage); });
}

}  // namespace midiout
