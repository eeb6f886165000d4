// What a sound server plays, recorded as it plays: one channel (the left), at 48 kHz.
#pragma once

#include <vector>

namespace testsupport {

constexpr double recordingRateHz = 48000;

class AudioRecording {
public:
    virtual ~AudioRecording() = default;
    // The next `seconds` of output, waiting for it to be played; shorter only when the recording
    // ends (its server went, or nothing came for longer than that).
    virtual std::vector<float> next(double seconds) = 0;
};

}  // namespace testsupport
