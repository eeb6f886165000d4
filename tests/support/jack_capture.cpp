// A JACK client with one MIDI input port that records every event reaching it, with its time.
#include "support/jack_capture.h"

#include <jack/midiport.h>

#include "platform/jack/jack_library.h"
#include "support/unwatched_thread.h"

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <utility>

namespace testsupport {
namespace {

constexpr const char* portShortName = "in";
// Room for tens of thousands of events between two reads; JACK rounds it up to a power of two.
constexpr std::size_t ringBytes = std::size_t{1} << 20;
constexpr std::chrono::milliseconds pollInterval{1};

// What precedes each event's bytes in the ring.
struct RecordHeader {
    std::uint64_t microseconds;
    std::uint32_t size;
};

std::string serverName()
{
    const char* name = std::getenv("JACK_DEFAULT_SERVER");
    return name && *name ? name : "default";
}

std::string hex(unsigned value)
{
    char digits[2 * sizeof value + 1];
    std::snprintf(digits, sizeof digits, "%x", value);
    return digits;
}

std::string describeOpenFailure(jack_status_t status)
{
    const std::string server = '"' + serverName() + '"';
    if (status & JackServerFailed) {
        return "no JACK server " + server + " is running";
    }
    return "the JACK server " + server + " refused the client, status 0x" + hex(status);
}

std::unique_ptr<JackCapture> fail(std::string* error, const std::string& reason)
{
    if (error) {
        *error = reason;
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<JackCapture> JackCapture::open(const std::string& clientName, std::string* error)
{
    std::unique_ptr<JackCapture> capture(new JackCapture);
    midiout::dropJackMessages();
    jack_status_t status{};
    capture->client_ = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    if (!capture->client_) {
        return fail(error, describeOpenFailure(status));
    }
    capture->ring_ = jack_ringbuffer_create(ringBytes);
    if (!capture->ring_) {
        return fail(error, "cannot allocate the event ring");
    }
    capture->port_ = jack_port_register(capture->client_, portShortName, JACK_DEFAULT_MIDI_TYPE,
                                        JackPortIsInput, 0);
    if (!capture->port_) {
        return fail(error, "cannot register the MIDI input port");
    }
    jack_set_process_callback(capture->client_, &JackCapture::process, capture.get());
    jack_on_shutdown(capture->client_, &JackCapture::shutdown, capture.get());
    if (jack_activate(capture->client_) != 0) {
        return fail(error, "cannot activate the JACK client");
    }
    return capture;
}

JackCapture::~JackCapture()
{
    if (client_) {
        jack_deactivate(client_);
        jack_client_close(client_);
    }
    if (ring_) {
        jack_ringbuffer_free(ring_);
    }
}

std::string JackCapture::portName() const
{
    return jack_port_name(port_);
}

std::vector<CapturedEvent> JackCapture::events()
{
    drain();
    return captured_;
}

std::vector<CapturedEvent> JackCapture::takeEvents()
{
    drain();
    return std::exchange(captured_, {});
}

bool JackCapture::waitForEvents(std::size_t count, std::chrono::milliseconds deadline)
{
    const auto giveUp = std::chrono::steady_clock::now() + deadline;
    for (;;) {
        drain();
        if (captured_.size() >= count) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= giveUp) {
            return false;
        }
        std::this_thread::sleep_for(pollInterval);
    }
}

std::vector<std::string> JackCapture::connectedPorts() const
{
    std::vector<std::string> names;
    const char** connected = jack_port_get_connections(port_);
    for (const char** name = connected; name != nullptr && *name != nullptr; ++name) {
        names.emplace_back(*name);
    }
    jack_free(connected);
    return names;
}

std::size_t JackCapture::droppedEvents() const
{
    return dropped_.load(std::memory_order_relaxed);
}

bool JackCapture::serverGone() const
{
    return serverGone_.load(std::memory_order_acquire);
}

int JackCapture::process(jack_nframes_t frames, void* self)
{
    const UnwatchedThread unwatched;
    static_cast<JackCapture*>(self)->record(frames);
    return 0;
}

void JackCapture::shutdown(void* self)
{
    static_cast<JackCapture*>(self)->serverGone_.store(true, std::memory_order_release);
}

// Runs on JACK's process thread: no locks, no allocation. An event goes into the ring whole or,
// when the ring is full, not at all.
void JackCapture::record(jack_nframes_t frames)
{
    void* buffer = jack_port_get_buffer(port_, frames);
    const jack_nframes_t cycleStart = jack_last_frame_time(client_);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    for (std::uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0) {
            continue;
        }
        const RecordHeader header{jack_frames_to_time(client_, cycleStart + event.time),
                                  static_cast<std::uint32_t>(event.size)};
        if (jack_ringbuffer_write_space(ring_) < sizeof header + event.size) {
            dropped_.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(&header), sizeof header);
        jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(event.buffer), event.size);
    }
}

// Moves whole events from the ring to captured_; an event the process thread is still writing
// stays for the next call.
void JackCapture::drain()
{
    RecordHeader header;
    while (jack_ringbuffer_read_space(ring_) >= sizeof header) {
        jack_ringbuffer_peek(ring_, reinterpret_cast<char*>(&header), sizeof header);
        if (jack_ringbuffer_read_space(ring_) < sizeof header + header.size) {
            return;
        }
        jack_ringbuffer_read_advance(ring_, sizeof header);
        CapturedEvent event{std::vector<std::uint8_t>(header.size), header.microseconds};
        jack_ringbuffer_read(ring_, reinterpret_cast<char*>(event.bytes.data()), header.size);
        captured_.push_back(std::move(event));
    }
}

}  // namespace testsupport
