// An audio output playing the built-in synthesizer, and the first of several that starts.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace midiout {

// Plays a SynthRenderer from its own thread until destroyed.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Called after each message sent to the synth, from the sending thread.
    virtual void messageSent() {}
    // Why what is played cannot be heard now (its server is gone), in words; empty otherwise.
    virtual std::string silenceReason() const { return {}; }
};

// Either the playing output or, on failure, the reason in words.
using AudioStartResult = std::variant<std::unique_ptr<AudioOutput>, std::string>;

struct AudioCandidate {
    std::string_view name;
    std::function<AudioStartResult()> start;
};

struct StartedAudio {
    std::unique_ptr<AudioOutput> output;
    std::string name;
};

// Starts the candidates in order until one plays; when none does, the reason names each with
// its own reason: "No audio output could be started (tried: jack (...), alsa (...))".
std::variant<StartedAudio, std::string> startFirstAudioOutput(
    std::span<const AudioCandidate> candidates);

}  // namespace midiout
