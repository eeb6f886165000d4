// The MIDI input ports of a running JACK server, as output devices of this program.
#include "platform/midi/jack_ports.h"

#include "platform/jack/jack_session.h"
#include "platform/midi/jack_output.h"

namespace midiout {
namespace {

class JackPortDevice final : public OutputDevice {
public:
    explicit JackPortDevice(std::string fullName) : fullName_(std::move(fullName)) {}

    std::optional<std::string> name() const override { return fullName_; }
    OpenResult open(std::uint32_t) override { return JackOutput::open(fullName_); }

private:
    std::string fullName_;
};

}  // namespace

DeviceList jackPorts()
{
    DeviceList ports;
    if (const std::shared_ptr<JackSession> session = JackSession::connect()) {
        for (std::string& name : session->midiInputPorts()) {
            ports.push_back(std::make_unique<JackPortDevice>(std::move(name)));
        }
    }
    return ports;
}

}  // namespace midiout
