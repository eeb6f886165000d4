// Opens device 0 on the one audio output a test or benchmark names: JACK, PipeWire or PulseAudio.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/midi/builtin_synth_device.h"
#include "platform/synth/synth_engine.h"

namespace testsupport {

// "jack", "pipewire" or "pulseaudio": device 0 on that output alone; "" for the first that plays.
// Throws when it does not open there.
inline std::unique_ptr<midiout::BuiltinSynthOutput> openBuiltinSynthOn(const std::string& output)
{
    midiout::SynthEngine::CreateResult created = midiout::SynthEngine::create();
    if (auto* reason = std::get_if<std::string>(&created)) {
        throw std::runtime_error("device 0: " + *reason);
    }
    std::string reason;
    auto synth = midiout::BuiltinSynthOutput::start(
        std::get<std::unique_ptr<midiout::SynthEngine>>(std::move(created)), reason, output);
    if (!synth) {
        throw std::runtime_error("device 0 on " + output + ": " + reason);
    }
    return synth;
}

}  // namespace testsupport
