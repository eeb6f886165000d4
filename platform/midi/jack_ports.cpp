// The MIDI input ports of a running JACK server, as output devices of this program.
#include "platform/midi/jack_ports.h"

#include <jack/jack.h>

#include "platform/midi/jack_output.h"
#include "platform/midi/quiet_libraries.h"

namespace midiout {
namespace {

class JackPort final : public OutputDevice {
public:
    explicit JackPort(std::string fullName) : fullName_(std::move(fullName)) {}

    std::optional<std::string> name() const override { return fullName_; }
    OpenResult open(std::uint32_t) override { return JackOutput::open(fullName_); }

private:
    std::string fullName_;
};

}  // namespace

DeviceList jackPorts()
{
    const QuietLibraries quiet;
    DeviceList ports;
    jack_client_t* client = jack_client_open("vorlik", JackNoStartServer, nullptr);
    if (client == nullptr) {
        return ports;
    }
    const char** names = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
    for (const char** name = names; name != nullptr && *name != nullptr; ++name) {
        ports.push_back(std::make_unique<JackPort>(*name));
    }
    jack_free(names);
    jack_client_close(client);
    return ports;
}

}  // namespace midiout
