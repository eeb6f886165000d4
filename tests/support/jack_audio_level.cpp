// A JACK client with one audio input port that keeps the loudest sample it has heard.
#include "support/jack_audio_level.h"

#include <algorithm>
#include <cmath>

#include "platform/jack/jack_library.h"
#include "support/unwatched_thread.h"

namespace testsupport {

std::unique_ptr<JackAudioLevel> JackAudioLevel::open(const std::string& clientName)
{
    std::unique_ptr<JackAudioLevel> level(new JackAudioLevel);
    midiout::dropJackMessages();
    level->client_ = jack_client_open(clientName.c_str(), JackNoStartServer, nullptr);
    if (level->client_ == nullptr) {
        return nullptr;
    }
    level->port_ =
        jack_port_register(level->client_, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(level->client_, &JackAudioLevel::process, level.get());
    if (level->port_ == nullptr || jack_activate(level->client_) != 0) {
        return nullptr;
    }
    return level;
}

JackAudioLevel::~JackAudioLevel()
{
    if (client_ != nullptr) {
        jack_client_close(client_);
    }
}

bool JackAudioLevel::listenTo(const std::string& sourcePort)
{
    return jack_connect(client_, sourcePort.c_str(), jack_port_name(port_)) == 0;
}

int JackAudioLevel::process(jack_nframes_t frames, void* self)
{
    const UnwatchedThread unwatched;
    auto& level = *static_cast<JackAudioLevel*>(self);
    const auto* samples = static_cast<const float*>(jack_port_get_buffer(level.port_, frames));
    float loudest = level.peak_.load();
    for (jack_nframes_t i = 0; i < frames; ++i) {
        loudest = std::max(loudest, std::fabs(samples[i]));
    }
    level.peak_.store(loudest);
    return 0;
}

}  // namespace testsupport
