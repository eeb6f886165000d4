// A JACK client with one audio input port that records what reaches it, for tests of what an
// output port plays.
#pragma once

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <memory>
#include <string>

#include "support/audio_recording.h"

namespace testsupport {

// The server must run at recordingRateHz. Close it before its server is started again: libjack
// frees every client of a dead server when the next client of the process opens.
class JackRecording final : public AudioRecording {
public:
    // Connects to the running server (JACK_DEFAULT_SERVER), never starting one, and records the
    // output port of that full name; null when it cannot.
    static std::unique_ptr<JackRecording> start(const std::string& sourcePort);
    ~JackRecording() override;
    JackRecording(const JackRecording&) = delete;
    JackRecording& operator=(const JackRecording&) = delete;

    std::vector<float> next(double seconds) override;

private:
    JackRecording() = default;
    static int process(jack_nframes_t frames, void* self);

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    jack_ringbuffer_t* ring_ = nullptr;
};

}  // namespace testsupport
