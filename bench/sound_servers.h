// The sound servers scripts/with-test-servers.sh runs, as its variables name them, for benchmarks
// that measure device 0 and the fluidsynth program on each in turn within one process.
#pragma once

#include <sys/types.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/environment.h"

namespace bench {

struct Daemon {
    std::string name;
    pid_t pid = 0;
};

struct SoundServer {
    std::string name;             // "JACK", "PulseAudio", "PipeWire"
    std::string device0Output;    // the audio output device 0 plays through there
    std::string programDriver;    // the fluidsynth program's audio driver there
    std::string monitor;          // the null sink's monitor; empty for JACK
    std::vector<Daemon> daemons;  // the processes that carry the sound
    // Variables set while the server is measured; an absent value is unset.
    testsupport::Environment environment;
};

inline std::string requiredVariable(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        throw std::runtime_error(std::string(name) +
                                 " is not set: run under scripts/with-test-servers.sh");
    }
    return value;
}

inline Daemon daemonFrom(const char* name, const char* pidVariable)
{
    return {name, static_cast<pid_t>(std::stol(requiredVariable(pidVariable)))};
}

inline std::optional<std::string> currentVariable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

// JACK, PulseAudio, and the PipeWire graph (device 0 on its own PipeWire stream, the fluidsynth
// program through pipewire-pulse). Throws when the script's variables are missing. Call before
// any use().
inline std::vector<SoundServer> soundServers()
{
    // JACK and PulseAudio are measured in the script's own environment.
    const testsupport::Environment scripts = {
        {"PULSE_SERVER", requiredVariable("VORLIK_PULSEAUDIO_SERVER")},
        {"PIPEWIRE_RUNTIME_DIR", currentVariable("PIPEWIRE_RUNTIME_DIR")},
        {"XDG_RUNTIME_DIR", currentVariable("XDG_RUNTIME_DIR")}};
    const std::string pipewireRuntime = requiredVariable("VORLIK_PIPEWIRE_RUNTIME_DIR");
    return {
        {"JACK", "jack", "jack", "", {daemonFrom("jackd", "VORLIK_JACKD_PID")}, scripts},
        {"PulseAudio",
         "pulseaudio",
         "pulseaudio",
         requiredVariable("VORLIK_PULSEAUDIO_MONITOR"),
         {daemonFrom("pulseaudio", "VORLIK_PULSEAUDIO_PID")},
         scripts},
        {"PipeWire",
         "pipewire",
         "pulseaudio",
         requiredVariable("VORLIK_PIPEWIRE_MONITOR"),
         {daemonFrom("pipewire", "VORLIK_PIPEWIRE_PID"),
          daemonFrom("pipewire-pulse", "VORLIK_PIPEWIRE_PULSE_PID")},
         {{"PULSE_SERVER", requiredVariable("VORLIK_PIPEWIRE_PULSE_SERVER")},
          {"PIPEWIRE_RUNTIME_DIR", pipewireRuntime},
          {"XDG_RUNTIME_DIR", pipewireRuntime}}},
    };
}

// Points this process, and programs it starts from now on, at the server. Call while no other
// thread of the benchmark reads the environment.
inline void use(const SoundServer& server)
{
    testsupport::setEnvironment(server.environment);
}

}  // namespace bench
