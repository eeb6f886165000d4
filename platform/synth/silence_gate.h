// Decides, block by block, whether the synthesizer needs running or its output is known silent.
#pragma once

#include <atomic>

namespace midiout {

// The audio thread asks before each block; any thread reports messages sent to the synth.
class SilenceGate {
public:
    // holdFrames: how long the synth keeps running after its last voice ends, so that reverb
    // and chorus tails play out.
    explicit SilenceGate(long holdFrames) : holdFrames_(holdFrames) {}

    // A message has reached the synth; the next block runs it whatever its voices.
    void messageSent() { messageSent_.store(true); }
    // Whether a message has arrived since the audio thread last asked.
    bool messagePending() const { return messageSent_.load(); }

    // Audio thread: whether the block of `frames` must be rendered, given the synth's active
    // voices now.
    bool shouldRender(long frames, int activeVoices);

private:
    std::atomic<bool> messageSent_{false};
    const long holdFrames_;
    long silentFrames_ = 0;  // rendered since the last voice or message
};

}  // namespace midiout
