// An open connection to one JACK MIDI input port, through the program's JACK session.
#include "platform/midi/jack_output.h"

#include <jack/midiport.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <thread>
#include <utility>

#include "platform/midi/short_message.h"

namespace midiout {
namespace {

constexpr const char* portBaseName = "vorlik";
// Room for 8192 queued messages: far more than a stalled server would let pile up.
constexpr std::size_t queueLength = 8192;
// How long closing waits for queued messages to leave; a running server needs two periods.
constexpr std::chrono::milliseconds drainDeadline{500};
// Without a single cycle in this long the server is not running its graph: stop waiting.
constexpr std::chrono::milliseconds stalledAfter{150};
constexpr std::chrono::microseconds drainPoll{200};

}  // namespace

OpenResult JackOutput::open(const std::string& targetPort)
{
    std::string whyNot;
    std::shared_ptr<JackSession> session = JackSession::connect(&whyNot);
    if (session == nullptr) {
        return "\"" + targetPort + "\" cannot be opened. " + whyNot;
    }
    std::unique_ptr<JackOutput> output(new JackOutput(session));
    auto ports = session->openPorts({{portBaseName, JACK_DEFAULT_MIDI_TYPE, targetPort}});
    if (auto* reason = std::get_if<std::string>(&ports)) {
        return "\"" + targetPort + "\" cannot be opened. " + *reason;
    }
    output->port_ = std::get<std::vector<JackPort*>>(ports).front();
    if (!session->attach(*output)) {
        return "\"" + targetPort + "\" cannot be opened: too many outputs are open.";
    }
    output->attached_ = true;
    return output;
}

JackOutput::JackOutput(std::shared_ptr<JackSession> session)
    : session_(std::move(session)), queue_(queueLength)
{
}

JackOutput::~JackOutput()
{
    if (attached_) {
        drain();
        session_->detach(*this);
    }
    if (port_ != nullptr) {
        session_->closePorts({port_});
    }
}

bool JackOutput::send(std::uint32_t packed)
{
    const std::optional<jack_nframes_t> now = session_->frameTime();
    if (!now) {
        return false;
    }
    const ShortMessageBytes message = unpackShortMessage(packed);
    QueuedMessage queued{*now, static_cast<std::uint8_t>(message.size), {}};
    std::copy_n(message.data.begin(), message.size, queued.bytes);
    return queue_.push(queued);
}

// Waits until the queue is empty and the cycle that emptied it, and the one after, are over;
// gives up when the server is gone or runs no cycles.
void JackOutput::drain()
{
    using Clock = std::chrono::steady_clock;
    const auto giveUp = Clock::now() + drainDeadline;
    unsigned lastCycle = session_->cycles();
    auto lastProgress = Clock::now();
    const auto waitFor = [&](auto done) {
        while (!done() && !session_->lost() && Clock::now() < giveUp &&
               Clock::now() - lastProgress < stalledAfter) {
            std::this_thread::sleep_for(drainPoll);
            if (const unsigned cycle = session_->cycles(); cycle != lastCycle) {
                lastCycle = cycle;
                lastProgress = Clock::now();
            }
        }
    };
    waitFor([this] { return queue_.empty(); });
    const unsigned emptiedBy = session_->cycles();
    waitFor([&] { return session_->cycles() - emptiedBy >= 2; });
}

// Runs on the JACK thread while no cycle runs, so as the queue's one reader.
void JackOutput::rejoined()
{
    queue_.clear();
}

// Runs on JACK's process thread: no locks, no allocation. A message sent during the previous
// cycle keeps its offset within it; an older one goes out first thing. A message that no longer
// fits in this cycle's buffer waits for the next.
void JackOutput::process(jack_nframes_t frames)
{
    void* buffer = jack_port_get_buffer(port_->get(), frames);
    jack_midi_clear_buffer(buffer);
    const jack_nframes_t cycleStart = session_->lastFrameTime();
    jack_nframes_t earliest = 0;
    while (const QueuedMessage* queued = queue_.front()) {
        const auto sinceStart = static_cast<std::int32_t>(queued->sentAt + frames - cycleStart);
        const auto offset =
            std::clamp<std::int64_t>(sinceStart, earliest, static_cast<std::int64_t>(frames) - 1);
        if (jack_midi_event_write(buffer, static_cast<jack_nframes_t>(offset), queued->bytes,
                                  queued->size) != 0) {
            return;
        }
        earliest = static_cast<jack_nframes_t>(offset);
        queue_.pop();
    }
}

}  // namespace midiout
