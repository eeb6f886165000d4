// The synthesizer's output for an audio driver: rendered while it may sound, zeros once silent.
#pragma once

#include "platform/synth/silence_gate.h"
#include "platform/synth/synth_engine.h"

#include <span>

namespace midiout {

// An open, silent synth then costs its audio thread next to nothing.
class SynthRenderer {
public:
    explicit SynthRenderer(SynthEngine& engine);

    // Called after each message sent to the engine, from any thread.
    void messageSent() { gate_.messageSent(); }

    // FluidSynth's audio callback (fluid_audio_func_t), self being a SynthRenderer: fills every
    // buffer given, fx and out, with `frames` samples.
    static int process(void* self, int frames, int fxCount, float* fx[], int outCount,
                       float* out[]);
    // Fills interleaved stereo frames; false when they are zeros and the synth did not run.
    bool renderInterleaved(std::span<float> stereo);
    // Fills `frames` samples of each channel's own buffer, zeros while the synth is silent.
    void renderPlanar(float* left, float* right, int frames);
    // Ends every voice at once and the effects' tails with them, keeping programs and
    // controllers: for an output that comes back after its server was gone, so that nothing of
    // what sounded before is heard late. Call from the thread that renders, or while none does.
    void endVoices();

private:
    bool shouldRender(int frames);

    SynthEngine& engine_;
    SilenceGate gate_;
};

}  // namespace midiout
