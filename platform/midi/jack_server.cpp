// Whether a JACK server is running, asked without ever starting one.
#include "platform/midi/jack_server.h"

#include <jack/jack.h>

#include "platform/midi/quiet_libraries.h"

namespace midiout {

bool jackServerRunning()
{
    const QuietLibraries quiet;
    jack_status_t status{};
    jack_client_t* client = jack_client_open("vorlik-probe", JackNoStartServer, &status);
    if (client == nullptr) {
        return false;
    }
    jack_client_close(client);
    return true;
}

}  // namespace midiout
