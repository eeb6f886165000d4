// A JACK client with one audio input port that records what reaches it.
#include "support/jack_recording.h"

#include <chrono>
#include <thread>

#include "platform/jack/jack_library.h"
#include "support/unwatched_thread.h"

namespace testsupport {
namespace {

constexpr double bufferedSeconds = 30;  // what the reader may fall behind by
constexpr std::chrono::milliseconds pollInterval{5};
constexpr double lateSeconds = 2;  // past what is asked for, before a read gives up

}  // namespace

std::unique_ptr<JackRecording> JackRecording::start(const std::string& sourcePort)
{
    std::unique_ptr<JackRecording> recording(new JackRecording);
    midiout::dropJackMessages();
    recording->client_ = jack_client_open("recording", JackNoStartServer, nullptr);
    if (recording->client_ == nullptr) {
        return nullptr;
    }
    recording->ring_ = jack_ringbuffer_create(
        static_cast<std::size_t>(bufferedSeconds * recordingRateHz) * sizeof(float));
    recording->port_ =
        jack_port_register(recording->client_, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(recording->client_, &JackRecording::process, recording.get());
    if (recording->ring_ == nullptr || recording->port_ == nullptr ||
        jack_activate(recording->client_) != 0 ||
        jack_connect(recording->client_, sourcePort.c_str(), jack_port_name(recording->port_)) !=
            0) {
        return nullptr;
    }
    return recording;
}

JackRecording::~JackRecording()
{
    if (client_ != nullptr) {
        jack_client_close(client_);
    }
    if (ring_ != nullptr) {
        jack_ringbuffer_free(ring_);
    }
}

std::vector<float> JackRecording::next(double seconds)
{
    std::vector<float> samples(static_cast<std::size_t>(seconds * recordingRateHz));
    const std::size_t bytes = samples.size() * sizeof(float);
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds + lateSeconds);
    while (jack_ringbuffer_read_space(ring_) < bytes && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(pollInterval);
    }
    const std::size_t read =
        jack_ringbuffer_read(ring_, reinterpret_cast<char*>(samples.data()),
                             std::min(bytes, jack_ringbuffer_read_space(ring_)));
    samples.resize(read / sizeof(float));
    return samples;
}

// What does not fit is dropped: only a reader that stopped reading loses it.
int JackRecording::process(jack_nframes_t frames, void* self)
{
    const UnwatchedThread unwatched;
    auto& recording = *static_cast<JackRecording*>(self);
    const auto* samples = static_cast<const char*>(jack_port_get_buffer(recording.port_, frames));
    const std::size_t bytes = frames * sizeof(float);
    if (jack_ringbuffer_write_space(recording.ring_) >= bytes) {
        jack_ringbuffer_write(recording.ring_, samples, bytes);
    }
    return 0;
}

}  // namespace testsupport
