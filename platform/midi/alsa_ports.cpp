// The MIDI output ports of the ALSA sequencer, found and opened through RtMidi.
#include "platform/midi/alsa_ports.h"

#include <alsa/asoundlib.h>
#include <rtmidi/RtMidi.h>

#include <future>
#include <optional>

#include "platform/midi/short_message.h"
#include "platform/synth/alsa_messages.h"

namespace midiout {
namespace {

// The name the program's own ALSA client and ports carry in a patchbay.
constexpr const char* clientName = "vorlik";

// RtMidi reports through this instead of printing; the text, when asked for, is kept as the
// reason for the user.
void keepRtMidiError(RtMidiError::Type, const std::string& text, void* kept)
{
    if (kept != nullptr) {
        *static_cast<std::string*>(kept) = text;
    }
}

// The background opening prepareAlsaSequencer() started; waited for before ALSA is used here
// again, since the library's first opening must not run on two threads at once.
std::future<void> preparing;

void finishPreparing()
{
    if (preparing.valid()) {
        preparing.get();
    }
}

// ALSA's reason when the sequencer cannot be opened. RtMidi prints on the terminal when it cannot
// make its client, before an error callback can be given to it, so it is asked only once the
// sequencer has opened here.
std::optional<std::string> sequencerUnavailable()
{
    snd_seq_t* sequencer = nullptr;
    const int error = snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_OUTPUT, 0);
    if (error < 0) {
        return std::string(snd_strerror(error)) + ".";
    }
    snd_seq_close(sequencer);
    return std::nullopt;
}

// A sequencer client that prints nothing; nothing, with the reason when asked for, when there is
// no sequencer.
std::unique_ptr<RtMidiOut> connect(std::string* whyNot = nullptr)
{
    finishPreparing();
    dropAlsaMessages();
    if (const std::optional<std::string> why = sequencerUnavailable()) {
        if (whyNot != nullptr) {
            *whyNot = *why;
        }
        return nullptr;
    }
    try {
        auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, clientName);
        out->setErrorCallback(keepRtMidiError, nullptr);
        return out;
    } catch (const RtMidiError& error) {
        if (whyNot != nullptr) {
            *whyNot = error.getMessage();
        }
        return nullptr;
    }
}

class AlsaOutput final : public OpenOutput {
public:
    explicit AlsaOutput(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {}

    bool send(std::uint32_t packed) override
    {
        const ShortMessageBytes message = unpackShortMessage(packed);
        out_->sendMessage(message.data.data(), message.size);
        return true;
    }

private:
    std::unique_ptr<RtMidiOut> out_;
};

// The port's current number: ports come and go, so the one listed may have moved or gone.
std::optional<unsigned> findPort(RtMidiOut& out, unsigned listedNumber, const std::string& name)
{
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

class AlsaPort final : public OutputDevice {
public:
    AlsaPort(unsigned number, std::string fullName)
        : number_(number), fullName_(std::move(fullName))
    {
    }

    std::optional<std::string> name() const override { return fullName_; }

    OpenResult open(std::uint32_t) override
    {
        std::string rtMidiError;
        std::unique_ptr<RtMidiOut> out = connect(&rtMidiError);
        if (!out) {
            return "The ALSA sequencer is not running, so \"" + fullName_ +
                   "\" cannot be opened. " + rtMidiError;
        }
        const std::optional<unsigned> port = findPort(*out, number_, fullName_);
        if (!port) {
            return "The port \"" + fullName_ + "\" is gone.";
        }
        out->setErrorCallback(keepRtMidiError, &rtMidiError);
        out->openPort(*port, clientName);
        out->setErrorCallback(keepRtMidiError, nullptr);
        if (!out->isPortOpen()) {
            return "The port \"" + fullName_ + "\" could not be opened. " + rtMidiError;
        }
        return std::make_unique<AlsaOutput>(std::move(out));
    }

private:
    unsigned number_;
    std::string fullName_;
};

}  // namespace

DeviceList alsaSequencerPorts()
{
    DeviceList ports;
    std::unique_ptr<RtMidiOut> out = connect();
    if (!out) {
        return ports;
    }
    const unsigned count = out->getPortCount();
    for (unsigned port = 0; port < count; ++port) {
        ports.push_back(std::make_unique<AlsaPort>(port, out->getPortName(port)));
    }
    return ports;
}

void prepareAlsaSequencer()
{
    if (preparing.valid()) {
        return;
    }
    // Before the thread starts, so that no ALSA message of it reaches the terminal.
    dropAlsaMessages();
    preparing = std::async(std::launch::async, [] { sequencerUnavailable(); });
}

}  // namespace midiout
