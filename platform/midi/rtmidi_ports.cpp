// The MIDI output ports that RtMidi finds through the ALSA sequencer and through JACK.
#include "platform/midi/rtmidi_ports.h"

#include <rtmidi/RtMidi.h>

#include "platform/midi/jack_server.h"
#include "platform/midi/quiet_libraries.h"
#include "platform/midi/short_message.h"

namespace midiout {
namespace {

// The name the program's own ALSA client, JACK client and ports carry in a patchbay.
constexpr const char* clientName = "vorlik";

void dropRtMidiError(RtMidiError::Type, const std::string&, void*) {}

RtMidi::Api rtMidiApi(PortApi api)
{
    return api == PortApi::jack ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
}

// A client of the API with RtMidi's printing turned off; nothing when the API cannot start.
// RtMidi's JACK client would try to reach a missing server (and leak buffers doing so), so the
// server is asked first.
std::unique_ptr<RtMidiOut> connect(PortApi api)
{
    if (api == PortApi::jack && !jackServerRunning()) {
        return nullptr;
    }
    QuietLibraries quiet;
    try {
        auto out = std::make_unique<RtMidiOut>(rtMidiApi(api), clientName);
        out->setErrorCallback(dropRtMidiError);
        return out;
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

class RtMidiOutput final : public OpenOutput {
public:
    explicit RtMidiOutput(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {}

    void send(std::uint32_t packed) override
    {
        const ShortMessageBytes message = unpackShortMessage(packed);
        out_->sendMessage(message.data.data(), message.size);
    }

private:
    std::unique_ptr<RtMidiOut> out_;
};

// The port's current number: ports come and go, so the one listed may have moved or gone.
std::optional<unsigned> findPort(RtMidiOut& out, unsigned listedNumber, const std::string& name)
{
    QuietLibraries quiet;
    const unsigned count = out.getPortCount();
    if (listedNumber < count && out.getPortName(listedNumber) == name) {
        return listedNumber;
    }
    for (unsigned port = 0; port < count; ++port) {
        if (out.getPortName(port) == name) {
            return port;
        }
    }
    return std::nullopt;
}

class RtMidiPort final : public OutputDevice {
public:
    RtMidiPort(PortApi api, unsigned number, std::string fullName)
        : api_(api), number_(number), fullName_(std::move(fullName))
    {
    }

    std::optional<std::string> name() const override { return fullName_; }

    OpenResult open(std::uint32_t) override
    {
        std::unique_ptr<RtMidiOut> out = connect(api_);
        if (!out) {
            return apiName() + " is not running, so \"" + fullName_ + "\" cannot be opened.";
        }
        const std::optional<unsigned> port = findPort(*out, number_, fullName_);
        if (!port) {
            return "The port \"" + fullName_ + "\" is gone.";
        }
        out->openPort(*port, clientName);
        if (!out->isPortOpen()) {
            return "The port \"" + fullName_ + "\" could not be opened.";
        }
        return std::make_unique<RtMidiOutput>(std::move(out));
    }

private:
    std::string apiName() const
    {
        return api_ == PortApi::jack ? "The JACK server" : "The ALSA sequencer";
    }

    PortApi api_;
    unsigned number_;
    std::string fullName_;
};

}  // namespace

DeviceList rtMidiPorts(PortApi api)
{
    DeviceList ports;
    std::unique_ptr<RtMidiOut> out = connect(api);
    if (!out) {
        return ports;
    }
    QuietLibraries quiet;
    const unsigned count = out->getPortCount();
    for (unsigned port = 0; port < count; ++port) {
        ports.push_back(std::make_unique<RtMidiPort>(api, port, out->getPortName(port)));
    }
    return ports;
}

}  // namespace midiout
