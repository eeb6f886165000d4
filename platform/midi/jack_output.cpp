// An open connection to one JACK MIDI input port.
#include "platform/midi/jack_output.h"

#include <jack/midiport.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/midi/quiet_libraries.h"
#include "platform/midi/short_message.h"

namespace midiout {
namespace {

// The name the program's own JACK client and port carry in a patchbay.
constexpr const char* clientName = "vorlik";
constexpr const char* portName = "vorlik";
// Room for 8192 queued messages: far more than a stalled server would let pile up.
constexpr std::size_t queueBytes = 64 * 1024;
// How long closing waits for queued messages to leave; a running server needs one period.
constexpr std::chrono::milliseconds drainDeadline{500};
constexpr std::chrono::microseconds drainPoll{200};

// One queued message: the frame it was sent at, and its bytes. Written to the queue in one
// piece, so the process thread sees either all of it or nothing.
struct QueuedMessage {
    jack_nframes_t sentAt;
    std::uint8_t size;
    std::uint8_t bytes[3];
};

}  // namespace

OpenResult JackOutput::open(const std::string& targetPort)
{
    const QuietLibraries quiet;
    std::unique_ptr<JackOutput> output(new JackOutput);
    output->client_ = jack_client_open(clientName, JackNoStartServer, nullptr);
    if (output->client_ == nullptr) {
        return "The JACK server is not running, so \"" + targetPort + "\" cannot be opened.";
    }
    output->queue_ = jack_ringbuffer_create(queueBytes);
    output->port_ =
        jack_port_register(output->client_, portName, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (output->queue_ == nullptr || output->port_ == nullptr) {
        return "JACK could not give this program a MIDI port.";
    }
    jack_set_process_callback(output->client_, &JackOutput::process, output.get());
    jack_on_shutdown(output->client_, &JackOutput::shutdown, output.get());
    if (jack_activate(output->client_) != 0) {
        return "JACK could not start this program's MIDI port.";
    }
    output->active_ = true;
    if (jack_connect(output->client_, jack_port_name(output->port_), targetPort.c_str()) != 0) {
        return "The port \"" + targetPort + "\" is gone.";
    }
    return output;
}

JackOutput::~JackOutput()
{
    const QuietLibraries quiet;
    if (active_) {
        drain();
    }
    if (client_ != nullptr) {
        // Deactivating first stops the process thread before anything it reads is freed.
        jack_deactivate(client_);
        jack_client_close(client_);
    }
    if (queue_ != nullptr) {
        jack_ringbuffer_free(queue_);
    }
}

void JackOutput::send(std::uint32_t packed)
{
    if (serverGone_.load(std::memory_order_acquire) ||
        jack_ringbuffer_write_space(queue_) < sizeof(QueuedMessage)) {
        return;
    }
    const ShortMessageBytes message = unpackShortMessage(packed);
    QueuedMessage queued{jack_frame_time(client_), static_cast<std::uint8_t>(message.size), {}};
    std::copy_n(message.data.begin(), message.size, queued.bytes);
    jack_ringbuffer_write(queue_, reinterpret_cast<const char*>(&queued), sizeof queued);
}

// Waits until the queue is empty and the cycle that emptied it, and the one after, are over.
void JackOutput::drain()
{
    const auto giveUp = std::chrono::steady_clock::now() + drainDeadline;
    const auto waitFor = [&](auto done) {
        while (!done() && !serverGone_.load(std::memory_order_acquire) &&
               std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(drainPoll);
        }
    };
    waitFor([this] { return jack_ringbuffer_read_space(queue_) == 0; });
    const unsigned emptiedBy = cycles_.load(std::memory_order_acquire);
    waitFor([&] { return cycles_.load(std::memory_order_acquire) - emptiedBy >= 2; });
}

int JackOutput::process(jack_nframes_t frames, void* self)
{
    auto* output = static_cast<JackOutput*>(self);
    output->writeQueued(frames);
    output->cycles_.fetch_add(1, std::memory_order_release);
    return 0;
}

void JackOutput::shutdown(void* self)
{
    static_cast<JackOutput*>(self)->serverGone_.store(true, std::memory_order_release);
}

// Runs on JACK's process thread: no locks, no allocation. A message sent during the previous
// cycle keeps its offset within it; an older one goes out first thing. A message that no longer
// fits in this cycle's buffer waits for the next.
void JackOutput::writeQueued(jack_nframes_t frames)
{
    void* buffer = jack_port_get_buffer(port_, frames);
    jack_midi_clear_buffer(buffer);
    const jack_nframes_t cycleStart = jack_last_frame_time(client_);
    jack_nframes_t earliest = 0;
    QueuedMessage queued;
    while (jack_ringbuffer_peek(queue_, reinterpret_cast<char*>(&queued), sizeof queued) ==
           sizeof queued) {
        const auto sinceStart = static_cast<std::int32_t>(queued.sentAt + frames - cycleStart);
        const auto offset =
            std::clamp<std::int64_t>(sinceStart, earliest, static_cast<std::int64_t>(frames) - 1);
        if (jack_midi_event_write(buffer, static_cast<jack_nframes_t>(offset), queued.bytes,
                                  queued.size) != 0) {
            return;
        }
        earliest = static_cast<jack_nframes_t>(offset);
        jack_ringbuffer_read_advance(queue_, sizeof queued);
    }
}

}  // namespace midiout
