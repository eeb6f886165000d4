// A JACK client with one MIDI input port that records every event reaching it, with its time.
#pragma once

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

struct CapturedEvent {
    std::vector<std::uint8_t> bytes;  // exactly as JACK delivered them, 1 byte or more
    std::uint64_t microseconds = 0;   // arrival on JACK's monotonic clock, as jack_get_time()
};

// Use from one thread; only JACK's process thread runs alongside it.
class JackCapture {
public:
    // Connects to the running server (JACK_DEFAULT_SERVER, or the default one), never starting
    // one. On failure returns null and, when error is given, stores the reason in it. The
    // server may give the client another name when clientName is taken; see portName().
    static std::unique_ptr<JackCapture> open(const std::string& clientName, std::string* error);

    ~JackCapture();
    JackCapture(const JackCapture&) = delete;
    JackCapture& operator=(const JackCapture&) = delete;

    // The full name of the input port, "<client>:in".
    std::string portName() const;

    // Every event captured since opening or since the last takeEvents(), oldest first.
    std::vector<CapturedEvent> events();
    // The same events, which are then forgotten.
    std::vector<CapturedEvent> takeEvents();
    // Polls until events() holds at least count events; false when the deadline passes first.
    bool waitForEvents(std::size_t count, std::chrono::milliseconds deadline);

    // Full names of the ports connected to the input port.
    std::vector<std::string> connectedPorts() const;
    // Events lost because the reader fell too far behind; zero in any sound run.
    std::size_t droppedEvents() const;
    // True once the server has shut down or thrown the client out.
    bool serverGone() const;

private:
    JackCapture() = default;

    static int process(jack_nframes_t frames, void* self);
    static void shutdown(void* self);
    void record(jack_nframes_t frames);
    void drain();

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    jack_ringbuffer_t* ring_ = nullptr;
    std::vector<CapturedEvent> captured_;
    std::atomic<std::size_t> dropped_{0};
    std::atomic<bool> serverGone_{false};
};

}  // namespace testsupport
