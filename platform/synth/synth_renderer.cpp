// The synthesizer's output for an audio driver: rendered while it may sound, zeros once silent.
#include "platform/synth/synth_renderer.h"

#include <algorithm>
#include <array>

namespace midiout {
namespace {

namespace config {
// Long enough for the default reverb's and chorus's tails to fall below hearing.
constexpr double tailSeconds = 2.0;
constexpr int stereo = 2;
constexpr int discardBlockFrames = 1024;
}  // namespace config

void fillWithZeros(int count, float* buffers[], int frames)
{
    for (int i = 0; i < count; ++i) {
        if (buffers[i] != nullptr) {
            std::fill_n(buffers[i], frames, 0.0f);
        }
    }
}

}  // namespace

SynthRenderer::SynthRenderer(SynthEngine& engine)
    : engine_(engine), gate_(static_cast<long>(config::tailSeconds * engine.sampleRate()))
{
}

bool SynthRenderer::shouldRender(int frames)
{
    return gate_.shouldRender(frames, fluid::fluid_synth_get_active_voice_count(engine_.synth()));
}

int SynthRenderer::process(void* self, int frames, int fxCount, float* fx[], int outCount,
                           float* out[])
{
    auto& renderer = *static_cast<SynthRenderer*>(self);
    // fluid_synth_process() mixes into the buffers rather than overwriting them.
    fillWithZeros(fxCount, fx, frames);
    fillWithZeros(outCount, out, frames);
    if (!renderer.shouldRender(frames)) {
        return FLUID_OK;
    }
    return fluid::fluid_synth_process(renderer.engine_.synth(), frames, fxCount, fx, outCount, out);
}

bool SynthRenderer::renderInterleaved(std::span<float> stereo)
{
    const auto frames = static_cast<int>(stereo.size() / config::stereo);
    if (!shouldRender(frames)) {
        std::fill(stereo.begin(), stereo.end(), 0.0f);
        return false;
    }
    fluid::fluid_synth_write_float(engine_.synth(), frames, stereo.data(), 0, config::stereo,
                                   stereo.data(), 1, config::stereo);
    return true;
}

void SynthRenderer::renderPlanar(float* left, float* right, int frames)
{
    if (!shouldRender(frames)) {
        std::fill_n(left, frames, 0.0f);
        std::fill_n(right, frames, 0.0f);
        return;
    }
    fluid::fluid_synth_write_float(engine_.synth(), frames, left, 0, 1, right, 0, 1);
}

// The reverb and chorus still hold what sounded when the output went: it plays out here, unheard.
void SynthRenderer::endVoices()
{
    fluid::fluid_synth_all_sounds_off(engine_.synth(), -1);
    std::array<float, std::size_t{config::discardBlockFrames} * config::stereo> discarded{};
    const auto tailFrames = static_cast<long>(config::tailSeconds * engine_.sampleRate());
    for (long frames = 0; frames < tailFrames; frames += config::discardBlockFrames) {
        fluid::fluid_synth_write_float(engine_.synth(), config::discardBlockFrames,
                                       discarded.data(), 0, config::stereo, discarded.data(), 1,
                                       config::stereo);
    }
}

}  // namespace midiout
