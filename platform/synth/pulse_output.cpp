// An audio output through a PulseAudio stream of our own (PipeWire's PulseAudio server too).
#include "platform/synth/pulse_output.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>

#include "platform/servers/reconnection.h"
#include "platform/synth/loop_lock.h"
#include "platform/synth/quiet_handshake.h"

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

using MainLoopLock =
    LoopLock<pa_threaded_mainloop, pa_threaded_mainloop_lock, pa_threaded_mainloop_unlock>;

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

// Once started, the output keeps itself connected: when the server goes, the loop's thread tries
// again every retry interval, and the first stream ready on the server that answers plays on.
class PulseOutput final : public AudioOutput, private Reconnection::Connector {
public:
    PulseOutput(SynthRenderer& renderer, double sampleRate)
        : renderer_(renderer),
          sampleRate_(sampleRate),
          reconnection_(*this, "The PulseAudio server has stopped.",
                        [&renderer] { renderer.endVoices(); })
    {
    }
    ~PulseOutput() override;
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // Empty once the stream is ready, else the reason.
    std::string start();
    void messageSent() override;
    std::string silenceReason() const override { return reconnection_.silenceReason(); }

private:
    void armRetry(std::chrono::milliseconds delay) override;
    bool reconnect() override;
    static void contextChanged(pa_context*, void* self);
    static void streamChanged(pa_stream*, void* self);
    static void writable(pa_stream* stream, std::size_t bytes, void* self);
    static void retry(pa_mainloop_api*, pa_time_event*, const timeval*, void* self);

    bool newContext();
    std::string connectContext();
    std::string connectStream();
    bool newStream();
    std::string waitForStream();
    void closeConnection();
    void lose();
    std::string contextError() const { return pa_strerror(pa_context_errno(context_)); }
    void fill(std::size_t bytes);
    void setBuffering(std::uint32_t targetFrames, std::uint32_t refillFrames);

    SynthRenderer& renderer_;
    const double sampleRate_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    pa_time_event* retryTimer_ = nullptr;
    // Set once start() has the stream playing: from then on a failure means the server went.
    bool started_ = false;
    Reconnection reconnection_;
    // The stream rests on the quiet buffering; it goes over and back under the loop's lock.
    QuietHandshake quiet_;
};

PulseOutput::~PulseOutput()
{
    if (loop_ == nullptr) {
        return;
    }
    // Once the loop's thread has stopped, no callback renders any more.
    pa_threaded_mainloop_stop(loop_);
    if (retryTimer_ != nullptr) {
        pa_threaded_mainloop_get_api(loop_)->time_free(retryTimer_);
    }
    closeConnection();
    pa_threaded_mainloop_free(loop_);
}

// Under the loop's lock, or once it has stopped. libpulse keeps the callbacks of a stream or
// context that has failed, and calls them once more as the context goes: they see objects that
// are no longer this output's and ignore them.
void PulseOutput::closeConnection()
{
    if (pa_stream* stream = std::exchange(stream_, nullptr)) {
        pa_stream_set_write_callback(stream, nullptr, nullptr);
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
    }
    if (pa_context* context = std::exchange(context_, nullptr)) {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
}

// While starting, wakes start() for each change; once playing, a failure is the server going,
// and a context ready again after that gets a stream.
void PulseOutput::contextChanged(pa_context* context, void* self)
{
    auto& output = *static_cast<PulseOutput*>(self);
    pa_threaded_mainloop_signal(output.loop_, 0);
    if (!output.started_ || context != output.context_) {
        return;
    }
    const pa_context_state_t state = pa_context_get_state(context);
    const bool ready = state == PA_CONTEXT_READY;
    if (!PA_CONTEXT_IS_GOOD(state) || (ready && !output.newStream())) {
        output.lose();
    }
}

void PulseOutput::streamChanged(pa_stream* stream, void* self)
{
    auto& output = *static_cast<PulseOutput*>(self);
    pa_threaded_mainloop_signal(output.loop_, 0);
    if (!output.started_ || stream != output.stream_) {
        return;
    }
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (!PA_STREAM_IS_GOOD(state)) {
        output.lose();
    } else if (state == PA_STREAM_READY) {
        output.reconnection_.playing();
    }
}

// On the loop's thread: the connection is dropped at once, so that its callbacks see objects
// that are no longer this output's.
void PulseOutput::lose()
{
    closeConnection();
    reconnection_.lose();
}

void PulseOutput::armRetry(std::chrono::milliseconds delay)
{
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
    timeval due{};
    pa_timeval_add(pa_gettimeofday(&due),
                   static_cast<pa_usec_t>(std::chrono::microseconds(delay).count()));
    if (retryTimer_ == nullptr) {
        retryTimer_ = api->time_new(api, &due, retry, this);
    } else {
        api->time_restart(retryTimer_, &due);
    }
}

// On the loop's thread, when the retry is due. The context's changes take it on from here.
bool PulseOutput::reconnect()
{
    if (newContext() &&
        pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        return true;
    }
    closeConnection();
    return false;
}

void PulseOutput::retry(pa_mainloop_api* api, pa_time_event* timer, const timeval*, void* self)
{
    api->time_restart(timer, nullptr);
    static_cast<PulseOutput*>(self)->reconnection_.retry();
}

void PulseOutput::writable(pa_stream* stream, std::size_t bytes, void* self)
{
    auto& output = *static_cast<PulseOutput*>(self);
    if (stream == output.stream_) {
        output.fill(bytes);
    }
}

std::string PulseOutput::start()
{
    loop_ = pa_threaded_mainloop_new();
    if (loop_ == nullptr) {
        return "no main loop";
    }
    if (!newContext()) {
        return "no context";
    }
    const MainLoopLock lock(loop_);
    if (pa_threaded_mainloop_start(loop_) < 0) {
        return "the main loop did not start";
    }
    if (std::string why = connectContext(); !why.empty()) {
        return why;
    }
    if (std::string why = connectStream(); !why.empty()) {
        return why;
    }
    started_ = true;
    return {};
}

bool PulseOutput::newContext()
{
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), config::clientName);
    if (context_ == nullptr) {
        return false;
    }
    pa_context_set_state_callback(context_, contextChanged, this);
    return true;
}

std::string PulseOutput::connectContext()
{
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

std::string PulseOutput::connectStream()
{
    return newStream() ? waitForStream() : contextError();
}

// Under the loop's lock: a stream on the short buffering, connecting.
bool PulseOutput::newStream()
{
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(sampleRate_),
                                config::channels};
    stream_ = pa_stream_new(context_, config::streamName, &format, nullptr);
    if (stream_ == nullptr) {
        return false;
    }
    pa_stream_set_state_callback(stream_, streamChanged, this);
    pa_stream_set_write_callback(stream_, writable, this);
    quiet_.wake();  // a new stream starts on the short buffering
    const pa_buffer_attr buffering = bufferAttributes(config::targetFrames, config::refillFrames);
    // The stream plays from the start and never pauses: a sound server may take half a second
    // to bring a corked stream back (seen with the null sink). Silence is cheap instead: the
    // renderer writes zeros without running the synth, on a buffer that is refilled rarely.
    const auto flags = PA_STREAM_ADJUST_LATENCY;
    return pa_stream_connect_playback(stream_, nullptr, &buffering, flags, nullptr, nullptr) >= 0;
}

std::string PulseOutput::waitForStream()
{
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
    const std::uint64_t messages = quiet_.messages();
    const bool rendered = renderer_.renderInterleaved(
        std::span<float>(static_cast<float*>(data), bytes / sizeof(float)));
    pa_stream_write(stream_, data, bytes, nullptr, 0, PA_SEEK_RELATIVE);
    if (!rendered && quiet_.rest(messages)) {
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
    if (!quiet_.messageSent()) {
        return;
    }
    const MainLoopLock lock(loop_);
    if (!reconnection_.lost() && quiet_.wake()) {
        setBuffering(config::targetFrames, config::refillFrames);
        forget(pa_stream_flush(stream_, nullptr, nullptr));
    }
}

}  // namespace

AudioStartResult startPulseOutput(SynthRenderer& renderer, double sampleRate)
{
    auto output = std::make_unique<PulseOutput>(renderer, sampleRate);
    if (std::string why = output->start(); !why.empty()) {
        return why;
    }
    return output;
}

}  // namespace midiout
