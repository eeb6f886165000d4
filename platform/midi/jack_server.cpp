// Whether a JACK server is running, asked without ever starting one.
#include "platform/midi/jack_server.h"

#include "platform/midi/jack_session.h"

namespace midiout {

bool jackServerRunning()
{
    return JackSession::connect() != nullptr;
}

}  // namespace midiout
