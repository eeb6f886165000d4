// An audio output through a PulseAudio stream of our own (PipeWire's PulseAudio server too).
#include "platform/synth/pulse_output.h"

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
// The stream adjusts its latency: the server splits the target into the sink's own buffer,
// (target - 2 refills) / 2, and the stream's queue. At 48 kHz while sounding: 1.3 ms in all,
// as the fluidsynth program's own PulseAudio output asks, refilled 0.3 ms at a time. A server
// raises the sink's part to its own floor (0.5 ms for the null sink) and keeps the queue at
// least the sink's part plus two refills, so asking for less than this gains nothing.
constexpr std::uint32_t targetFrames = 64;
constexpr std::uint32_t refillFrames = 16;
// FluidSynth renders in blocks of this many frames and keeps what a write leaves of the last
// one; a message takes effect at the next block. Writing whole blocks keeps nothing rendered
// in waiting, so a note goes out in the very next write.
constexpr std::size_t synthBlockBytes = std::size_t{64} * frameBytes;
// While the synth is silent: 200 ms in all, 50 ms of it in the sink, asked for 50 ms at a time,
// so that neither we nor the sound server wake often. A refill of half the target would leave
// the sink no buffer and keep the server at its shortest latency, waking it 1000 times a second.
constexpr std::uint32_t quietTargetFrames = 9600;
constexpr std::uint32_t quietRefillFrames = 2400;
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

pa_buffer_attr bufferAttributes(std::uint32_t targetFrames, std::uint32_t refillFrames)
{
    return {config::serverDefault, targetFrames * config::frameBytes, config::serverDefault,
            refillFrames * config::frameBytes, config::serverDefault};
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
    void setBuffering(std::uint32_t targetFrames, std::uint32_t refillFrames);

    SynthRenderer& renderer_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    // Whether the stream runs on the quiet buffering; written under the loop's lock, read
    // without it by the sending thread.
    std::atomic<bool> quiet_{false};
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
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(sampleRate),
                                config::channels};
    stream_ = pa_stream_new(context_, config::streamName, &format, nullptr);
    if (stream_ == nullptr) {
        return contextError();
    }
    pa_stream_set_state_callback(stream_, signalLoopFromStream, this);
    pa_stream_set_write_callback(stream_, writable, this);
    const pa_buffer_attr buffering = bufferAttributes(config::targetFrames, config::refillFrames);
    // The stream plays from the start and never pauses: a sound server may take half a second
    // to bring a corked stream back (seen with the null sink). Silence is cheap instead: the
    // renderer writes zeros without running the synth, on a buffer that is refilled rarely.
    const auto flags = PA_STREAM_ADJUST_LATENCY;
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

// Under the loop's lock: renders what the server asks for, rounded up to whole synth blocks; once
// the synth is silent, the stream goes over to the quiet buffering.
void PulseOutput::fill(std::size_t bytes)
{
    if (bytes == 0 || bytes == static_cast<std::size_t>(-1)) {
        return;
    }
    bytes =
        (bytes + config::synthBlockBytes - 1) / config::synthBlockBytes * config::synthBlockBytes;
    void* data = nullptr;
    if (pa_stream_begin_write(stream_, &data, &bytes) < 0 || data == nullptr) {
        return;
    }
    bytes -= bytes % config::frameBytes;
    const bool rendered = renderer_.renderInterleaved(
        std::span<float>(static_cast<float*>(data), bytes / sizeof(float)));
    pa_stream_write(stream_, data, bytes, nullptr, 0, PA_SEEK_RELATIVE);
    if (!rendered && !quiet_.load()) {
        quiet_.store(true);
        setBuffering(config::quietTargetFrames, config::quietRefillFrames);
    }
}

void PulseOutput::setBuffering(std::uint32_t targetFrames, std::uint32_t refillFrames)
{
    const pa_buffer_attr buffering = bufferAttributes(targetFrames, refillFrames);
    forget(pa_stream_set_buffer_attr(stream_, &buffering, nullptr, nullptr));
}

// A message after silence: the stream goes back to the short buffering and drops the silence
// queued, so that the message's sound follows at once.
void PulseOutput::messageSent()
{
    if (!quiet_.load()) {
        return;
    }
    const LoopLock lock(loop_);
    if (quiet_.load()) {
        quiet_.store(false);
        setBuffering(config::targetFrames, config::refillFrames);
        forget(pa_stream_flush(stream_, nullptr, nullptr));
    }
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
