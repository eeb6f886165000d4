// The built-in synthesizer as a MIDI output device: a SynthEngine played through an audio driver.
#include "platform/midi/builtin_synth.h"

#include "platform/midi/jack_server.h"
#include "platform/midi/quiet_libraries.h"
#include "platform/midi/short_message.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace midiout {
namespace {

namespace config {
// FluidSynth's audio driver names, tried in this order; the first that starts plays.
constexpr std::array<std::string_view, 4> audioDrivers = {"pipewire", "pulseaudio", "jack", "alsa"};
constexpr const char* jackClientName = "vorlik";
}  // namespace config

void collectOption(void* names, const char*, const char* option)
{
    static_cast<std::vector<std::string>*>(names)->emplace_back(option);
}

std::vector<std::string> listedDrivers(fluid_settings_t* settings)
{
    std::vector<std::string> names;
    fluid_settings_foreach_option(settings, "audio.driver", &names, collectOption);
    return names;
}

// Why the driver cannot be tried on this machine, or empty when it can.
std::string unavailability(std::string_view driver, const std::vector<std::string>& listed)
{
    if (std::find(listed.begin(), listed.end(), driver) == listed.end()) {
        return "not in this FluidSynth";
    }
    // FluidSynth's jack driver lets libjack start a server when none runs; we never do.
    if (driver == "jack" && !jackServerRunning()) {
        return "no JACK server running";
    }
    return {};
}

BuiltinSynthOutput::DriverPtr startDriver(SynthEngine& engine, std::string_view driver)
{
    fluid_settings_t* settings = engine.settings();
    fluid_settings_setstr(settings, "audio.driver", std::string(driver).c_str());
    if (driver == "jack") {
        fluid_settings_setint(settings, "audio.jack.autoconnect", 1);
        fluid_settings_setstr(settings, "audio.jack.id", config::jackClientName);
    }
    const QuietLibraries quiet;
    return BuiltinSynthOutput::DriverPtr{new_fluid_audio_driver(settings, engine.synth())};
}

OpenResult startAudio(std::unique_ptr<SynthEngine> engine)
{
    const std::vector<std::string> listed = listedDrivers(engine->settings());
    SynthEngine::takeLoggedError();
    std::string tried;
    for (const std::string_view driver : config::audioDrivers) {
        tried += (tried.empty() ? "" : ", ") + std::string(driver);
        if (const std::string why = unavailability(driver, listed); !why.empty()) {
            tried += " (" + why + ")";
            continue;
        }
        if (auto started = startDriver(*engine, driver)) {
            return std::make_unique<BuiltinSynthOutput>(std::move(engine), std::move(started),
                                                        std::string(driver));
        }
    }
    std::string reason = "No audio output could be started (tried: " + tried + ")";
    if (const std::string lastError = SynthEngine::takeLoggedError(); !lastError.empty()) {
        reason += ". Last error: " + lastError;
    }
    return reason;
}

class BuiltinSynth final : public OutputDevice {
public:
    std::optional<std::string> name() const override { return std::string(builtinSynthName); }

    OpenResult open(std::uint32_t) override
    {
        SynthEngine::CreateResult created = SynthEngine::create();
        if (auto* reason = std::get_if<std::string>(&created)) {
            return std::move(*reason);
        }
        return startAudio(std::get<std::unique_ptr<SynthEngine>>(std::move(created)));
    }
};

}  // namespace

BuiltinSynthOutput::BuiltinSynthOutput(std::unique_ptr<SynthEngine> engine, DriverPtr driver,
                                       std::string audioDriver)
    : engine_(std::move(engine)), driver_(std::move(driver)), audioDriver_(std::move(audioDriver))
{
}

bool BuiltinSynthOutput::send(std::uint32_t packed)
{
    engine_->send(unpackShortMessage(packed).bytes());
    return true;
}

std::unique_ptr<OutputDevice> makeBuiltinSynth()
{
    return std::make_unique<BuiltinSynth>();
}

}  // namespace midiout
