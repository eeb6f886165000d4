// Opens device 0 on the JACK server or, with JACK out of its reach, on the PulseAudio server.
#pragma once

#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/midi/builtin_synth.h"

namespace bench {

// "jack" or "pulseaudio"; the JACK server for pulseaudio is one that does not exist. Throws
// when device 0 does not open on that output.
inline std::unique_ptr<midiout::BuiltinSynthOutput> openBuiltinSynthOn(const std::string& output)
{
    static const std::optional<std::string> jackServer =
        std::getenv("JACK_DEFAULT_SERVER")
            ? std::optional<std::string>(std::getenv("JACK_DEFAULT_SERVER"))
            : std::nullopt;
    if (output == "pulseaudio") {
        setenv("JACK_DEFAULT_SERVER", "vorlik-no-such-server", 1);
    } else if (jackServer) {
        setenv("JACK_DEFAULT_SERVER", jackServer->c_str(), 1);
    } else {
        unsetenv("JACK_DEFAULT_SERVER");
    }
    midiout::OpenResult opened = midiout::makeBuiltinSynth()->open(1);
    if (auto* reason = std::get_if<std::string>(&opened)) {
        throw std::runtime_error("device 0: " + *reason);
    }
    std::unique_ptr<midiout::BuiltinSynthOutput> synth(static_cast<midiout::BuiltinSynthOutput*>(
        std::get<std::unique_ptr<midiout::OpenOutput>>(opened).release()));
    if (synth->audioDriver() != output) {
        throw std::runtime_error("device 0 plays through " + synth->audioDriver() + ", not " +
                                 output);
    }
    return synth;
}

}  // namespace bench
