// An audio output through one of FluidSynth's own drivers ("alsa"), pulling from a SynthRenderer.
#include "platform/synth/fluid_driver_output.h"

#include "platform/synth/alsa_messages.h"

#include <memory>
#include <string>

namespace midiout {
namespace {

class FluidDriverOutput final : public AudioOutput {
public:
    explicit FluidDriverOutput(fluid_audio_driver_t* driver) : driver_(driver) {}
    // Returns once the driver's thread has stopped calling the renderer.
    ~FluidDriverOutput() override { fluid::delete_fluid_audio_driver(driver_); }
    FluidDriverOutput(const FluidDriverOutput&) = delete;
    FluidDriverOutput& operator=(const FluidDriverOutput&) = delete;

private:
    fluid_audio_driver_t* driver_;
};

}  // namespace

AudioStartResult startFluidDriver(std::string_view driver, SynthEngine& engine,
                                  SynthRenderer& renderer)
{
    fluid_settings_t* settings = engine.settings();
    fluid::fluid_settings_setstr(settings, "audio.driver", std::string(driver).c_str());
    SynthEngine::takeLoggedError();
    dropAlsaMessages();
    fluid_audio_driver_t* started =
        fluid::new_fluid_audio_driver2(settings, SynthRenderer::process, &renderer);
    if (started == nullptr) {
        const std::string error = SynthEngine::takeLoggedError();
        return error.empty() ? std::string("did not start") : error;
    }
    return std::make_unique<FluidDriverOutput>(started);
}

}  // namespace midiout
