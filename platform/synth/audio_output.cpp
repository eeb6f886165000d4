// An audio output playing the built-in synthesizer, and the first of several that starts.
#include "platform/synth/audio_output.h"

namespace midiout {

std::variant<StartedAudio, std::string> startFirstAudioOutput(
    std::span<const AudioCandidate> candidates)
{
    std::string tried;
    for (const AudioCandidate& candidate : candidates) {
        AudioStartResult started = candidate.start();
        if (auto* output = std::get_if<std::unique_ptr<AudioOutput>>(&started)) {
            return StartedAudio{std::move(*output), std::string(candidate.name)};
        }
        tried += (tried.empty() ? "" : ", ") + std::string(candidate.name) + " (" +
                 std::get<std::string>(started) + ")";
    }
    return "No audio output could be started (tried: " + tried + ")";
}

}  // namespace midiout
