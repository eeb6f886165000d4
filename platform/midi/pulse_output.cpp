// An audio output through a PulseAudio stream of our own (PipeWire's PulseAudio server too).
#include "platform/midi/pulse_output.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace midiout {
namespace {

namespace config {
constexpr const char* clientName = "vorlik";
constexpr const char* streamName = "Built-in Synthesizer";
constexpr std::uint8_t channels = 2;
constexpr std::uint32_t frameBytes = channels * sizeof(float);
// At 48 kHz: about 5.3 ms queued at the server, asked for 2.7 ms at a time.
constexpr std::uint32_t targetFrames = 256;
constexpr std::uint32_t refillFrames = 128;
constexpr std::uint32_t serverDefault = static_cast<std::uint32_t>(-1);
}  // namespace config

// Holds the main loop's lock, which every call into the context or stream needs outside its
// callbacks.
class LoopLock {
public:
    explicit LoopLock(pa_threaded_mainloop* loop) : loop_(loop) { pa_threaded_mainloop_lock(loop); }
    ~LoopLock() { pa_threaded_mainloop_unlock(loop_); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pa_threaded_mainloop* loop_;
};

void forget(pa_operation* operation)
{
    if (operation != nullptr) {
        pa_operation_unref(operation);
    }
}

class PulseOutput final : public AudioOutput {
public:
    explicit PulseOutput(SynthRenderer& renderer) : renderer_(renderer) {}
    ~PulseOutput() override;
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // Empty once the stream is ready, else the reason.
    std::string start(double sampleRate);
    void messageSent() override;

private:
    static void signalLoop(pa_context*, void* self);
    static void signalLoopFromStream(pa_stream*, void* self);
    static void writable(pa_stream*, std::size_t bytes, void* self);

    std::string connectContext();
    std::string connectStream(double sampleRate);
    std::string contextError() const { return pa_strerror(pa_context_errno(context_)); }
    void fill(std::size_t bytes);
    bool pauseUnlessMessagePending();
    void resume();

    SynthRenderer& renderer_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    // Set by the main loop's thread, read without the lock by the sending thread.
    std::atomic<bool> paused_{true};
};

PulseOutput::~PulseOutput()
{
    if (loop_ == nullptr) {
        return;
    }
    // Once the loop's thread has stopped, no callback renders any more.
    pa_threaded_mainloop_stop(loop_);
    if (stream_ != nullptr) {
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
    }
    if (context_ != nullptr) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    pa_threaded_mainloop_free(loop_);
}

void PulseOutput::signalLoop(pa_context*, void* self)
{
    pa_threaded_mainloop_signal(static_cast<PulseOutput*>(self)->loop_, 0);
}

void PulseOutput::signalLoopFromStream(pa_stream*, void* self)
{
    pa_threaded_mainloop_signal(static_cast<PulseOutput*>(self)->loop_, 0);
}

void PulseOutput::writable(pa_stream*, std::size_t bytes, void* self)
{
    static_cast<PulseOutput*>(self)->fill(bytes);
}

std::string PulseOutput::start(double sampleRate)
{
    loop_ = pa_threaded_mainloop_new();
    if (loop_ == nullptr) {
        return "no main loop";
    }
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), config::clientName);
    if (context_ == nullptr) {
        return "no context";
    }
    const LoopLock lock(loop_);
    if (pa_threaded_mainloop_start(loop_) < 0) {
        return "the main loop did not start";
    }
    if (std::string why = connectContext(); !why.empty()) {
        return why;
    }
    return connectStream(sampleRate);
}

std::string PulseOutput::connectContext()
{
    pa_context_set_state_callback(context_, signalLoop, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        return contextError();
    }
    pa_context_state_t state = PA_CONTEXT_UNCONNECTED;
    while ((state = pa_context_get_state(context_)) != PA_CONTEXT_READY) {
        if (!PA_CONTEXT_IS_GOOD(state)) {
            return contextError();
        }
        pa_threaded_mainloop_wait(loop_);
    }
    return {};
}

std::string PulseOutput::connectStream(double sampleRate)
{
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(sampleRate),
                              config::channels};
    stream_ = pa_stream_new(context_, config::streamName, &spec, nullptr);
    if (stream_ == nullptr) {
        return contextError();
    }
    pa_stream_set_state_callback(stream_, signalLoopFromStream, this);
    pa_stream_set_write_callback(stream_, writable, this);
    const pa_buffer_attr buffering{config::serverDefault, config::targetFrames * config::frameBytes,
                                   config::serverDefault, config::refillFrames * config::frameBytes,
                                   config::serverDefault};
    // Corked until the first message: an open synth that has played nothing sends nothing.
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED);
    if (pa_stream_connect_playback(stream_, nullptr, &buffering, flags, nullptr, nullptr) < 0) {
        return contextError();
    }
    pa_stream_state_t state = PA_STREAM_UNCONNECTED;
    while ((state = pa_stream_get_state(stream_)) != PA_STREAM_READY) {
        if (!PA_STREAM_IS_GOOD(state)) {
            return contextError();
        }
        pa_threaded_mainloop_wait(loop_);
    }
    return {};
}

// Under the loop's lock: renders what the server asks for, unless paused.
void PulseOutput::fill(std::size_t bytes)
{
    if (paused_.load() || bytes == 0 || bytes == static_cast<std::size_t>(-1)) {
        return;
    }
    void* data = nullptr;
    if (pa_stream_begin_write(stream_, &data, &bytes) < 0 || data == nullptr) {
        return;
    }
    bytes -= bytes % config::frameBytes;
    const std::span<float> samples(static_cast<float*>(data), bytes / sizeof(float));
    if (!renderer_.renderInterleaved(samples)) {
        if (pauseUnlessMessagePending()) {
            pa_stream_cancel_write(stream_);
            return;
        }
        renderer_.renderInterleaved(samples);
    }
    pa_stream_write(stream_, data, bytes, nullptr, 0, PA_SEEK_RELATIVE);
}

// The synth has been silent long enough: the stream is corked and its queued silence dropped,
// so that the next note plays at once on resume. A message sent meanwhile keeps it playing:
// either this sees the message, or the sender sees paused_ and resumes.
bool PulseOutput::pauseUnlessMessagePending()
{
    paused_.store(true);
    if (renderer_.messagePending()) {
        paused_.store(false);
        return false;
    }
    forget(pa_stream_cork(stream_, 1, nullptr, nullptr));
    forget(pa_stream_flush(stream_, nullptr, nullptr));
    return true;
}

void PulseOutput::messageSent()
{
    if (!paused_.load()) {
        return;
    }
    const LoopLock lock(loop_);
    if (paused_.load()) {
        resume();
    }
}

void PulseOutput::resume()
{
    paused_.store(false);
    forget(pa_stream_cork(stream_, 0, nullptr, nullptr));
    fill(pa_stream_writable_size(stream_));
    // What was written may fall short of the start threshold (prebuf); it plays at once anyway.
    forget(pa_stream_trigger(stream_, nullptr, nullptr));
}

}  // namespace

AudioStartResult startPulseOutput(SynthRenderer& renderer, double sampleRate)
{
    auto output = std::make_unique<PulseOutput>(renderer);
    if (std::string why = output->start(sampleRate); !why.empty()) {
        return why;
    }
    return output;
}

}  // namespace midiout
