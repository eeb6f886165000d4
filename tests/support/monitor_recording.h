// A null sink's monitor, recorded with parec from the PulseAudio server PULSE_SERVER names
// (pipewire-pulse's included).
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "support/audio_recording.h"

namespace testsupport {

// Closes a pipe popen() opened, waiting for its command to end.
struct PipeCloser {
    void operator()(FILE* pipe) const { pclose(pipe); }
};

class MonitorRecording final : public AudioRecording {
public:
    // Null when parec does not start.
    static std::unique_ptr<MonitorRecording> start(const std::string& monitor);

    std::vector<float> next(double seconds) override;

private:
    explicit MonitorRecording(FILE* pipe) : pipe_(pipe) {}

    std::unique_ptr<FILE, PipeCloser> pipe_;
};

}  // namespace testsupport
