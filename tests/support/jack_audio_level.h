// A JACK client with one audio input port that keeps the loudest sample it has heard.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <memory>
#include <string>

namespace testsupport {

class JackAudioLevel {
public:
    // Connects to the running server (JACK_DEFAULT_SERVER, or the default one), never starting
    // one; null when it cannot.
    static std::unique_ptr<JackAudioLevel> open(const std::string& clientName);
    ~JackAudioLevel();
    JackAudioLevel(const JackAudioLevel&) = delete;
    JackAudioLevel& operator=(const JackAudioLevel&) = delete;

    // Listens to the output port of that full name; false when JACK refuses.
    bool listenTo(const std::string& sourcePort);
    // The largest absolute sample value heard since opening or the last reset.
    float peak() const { return peak_.load(); }
    void reset() { peak_.store(0.0f); }

private:
    JackAudioLevel() = default;
    static int process(jack_nframes_t frames, void* self);

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    std::atomic<float> peak_{0.0f};
};

}  // namespace testsupport
