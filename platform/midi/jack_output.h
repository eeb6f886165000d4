// An open connection to one JACK MIDI input port.
#pragma once

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <string>

#include "platform/midi/output_device.h"

namespace midiout {

// A client of its own with one output port connected to the target. A message goes out in the
// JACK cycle after the one it was sent in, at the same offset, so the spacing of messages is
// kept to the frame while the latency is one period. Closing delivers what is still queued.
class JackOutput final : public OpenOutput {
public:
    static OpenResult open(const std::string& targetPort);
    ~JackOutput() override;
    JackOutput(const JackOutput&) = delete;
    JackOutput& operator=(const JackOutput&) = delete;

    void send(std::uint32_t packed) override;

private:
    JackOutput() = default;

    static int process(jack_nframes_t frames, void* self);
    static void shutdown(void* self);
    void writeQueued(jack_nframes_t frames);
    void drain();

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    jack_ringbuffer_t* queue_ = nullptr;
    bool active_ = false;
    std::atomic<unsigned> cycles_{0};
    std::atomic<bool> serverGone_{false};
};

}  // namespace midiout
