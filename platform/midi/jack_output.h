// An open connection to one JACK MIDI input port, through the program's JACK session.
#pragma once

#include <jack/jack.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/jack/cycle_queue.h"
#include "platform/jack/jack_session.h"
#include "platform/midi/output_device.h"

namespace midiout {

// One output port of the session, connected to the target. A message goes out in the JACK
// cycle after the one it was sent in, at the same offset, so the spacing of messages is kept
// to the frame while the latency is one period. Closing delivers what is still queued, unless
// the server has stopped or stalled. When the server restarts, the port comes back connected to
// the target of the same name once it shows; what was sent before is dropped.
class JackOutput final : public OpenOutput, private JackCycleWork {
public:
    static OpenResult open(const std::string& targetPort);
    ~JackOutput() override;
    JackOutput(const JackOutput&) = delete;
    JackOutput& operator=(const JackOutput&) = delete;

    // Refused once the server is gone or the queue is full.
    bool send(std::uint32_t packed) override;
    std::string silenceReason() const override { return session_->lostReason(); }

private:
    explicit JackOutput(std::shared_ptr<JackSession> session);

    void process(jack_nframes_t frames) override;
    void rejoined() override;
    void drain();

    // One message sent: the frame it was sent at, and its bytes.
    struct QueuedMessage {
        jack_nframes_t sentAt;
        std::uint8_t size;
        std::uint8_t bytes[3];
    };

    std::shared_ptr<JackSession> session_;
    CycleQueue<QueuedMessage> queue_;
    JackPort* port_ = nullptr;
    bool attached_ = false;
};

}  // namespace midiout
