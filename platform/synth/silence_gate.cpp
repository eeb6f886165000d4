// Decides, block by block, whether the synthesizer needs running or its output is known silent.
#include "platform/synth/silence_gate.h"

namespace midiout {

bool SilenceGate::shouldRender(long frames, int activeVoices)
{
    if (messageSent_.exchange(false) || activeVoices > 0) {
        silentFrames_ = 0;
        return true;
    }
    if (silentFrames_ >= holdFrames_) {
        return false;
    }
    silentFrames_ += frames;
    return true;
}

}  // namespace midiout
