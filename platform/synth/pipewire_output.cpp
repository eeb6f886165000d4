// An audio output through a PipeWire stream of our own.
#include "platform/synth/pipewire_output.h"

#include <pipewire/pipewire.h>
#include <spa/param/audio/format-utils.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "platform/servers/reconnection.h"
#include "platform/synth/loop_lock.h"
#include "platform/synth/quiet_handshake.h"

namespace midiout {
namespace {

namespace config {
constexpr std::uint32_t channels = 2;
constexpr std::uint32_t frameBytes = channels * sizeof(float);
// The quantum asked for while sounding, in frames at the synth's rate.
constexpr int latencyFrames = 64;
// How long the stream keeps its place in the graph after the synth fell silent (2 s after its
// last voice). Joining again costs the rest of a cycle at the graph's larger quantum (up to
// 21 ms at 1024 frames): the graph changes quantum only between cycles. Staying this long keeps
// the pauses of playing at full speed; only a longer silence gives the graph back.
constexpr double quietSeconds = 4.0;
// How long the daemon may take to take the stream in.
constexpr std::chrono::seconds connectDeadline{2};
}  // namespace config

// Once for the process. PipeWire's own messages are dropped: an output that cannot start says
// so through its reason, never on the terminal.
void initialisePipeWire()
{
    static std::once_flag once;
    std::call_once(once, [] {
        pw_init(nullptr, nullptr);
        pw_log_set_level(SPA_LOG_LEVEL_NONE);
    });
}

using ThreadLoopLock = LoopLock<pw_thread_loop, pw_thread_loop_lock, pw_thread_loop_unlock>;

// Once started, the output keeps itself connected: when the daemon goes, the loop's thread tries
// again every retry interval, and the first stream in the graph of the daemon that answers plays
// on.
class PipeWireOutput final : public AudioOutput, private Reconnection::Connector {
public:
    PipeWireOutput(SynthRenderer& renderer, double sampleRate)
        : renderer_(renderer),
          sampleRate_(sampleRate),
          quietFrames_(static_cast<long>(config::quietSeconds * sampleRate)),
          reconnection_(*this, "The PipeWire daemon has stopped.",
                        [&renderer] { renderer.endVoices(); })
    {
    }
    ~PipeWireOutput() override;
    PipeWireOutput(const PipeWireOutput&) = delete;
    PipeWireOutput& operator=(const PipeWireOutput&) = delete;

    // Empty once the stream is in the graph, else the reason.
    std::string start();
    void messageSent() override;
    std::string silenceReason() const override { return reconnection_.silenceReason(); }

private:
    void armRetry(std::chrono::milliseconds delay) override;
    bool reconnect() override;
    bool connectCore();
    bool newStream();
    bool waitForStream();
    void closeConnection();

    static const pw_stream_events& events();
    static const pw_core_events& coreEvents();
    static void stateChanged(void* self, pw_stream_state, pw_stream_state state, const char*);
    static void coreError(void* self, std::uint32_t id, int, int, const char*);
    static void retry(void* self, std::uint64_t);
    static void process(void* self);
    static int leaveGraph(spa_loop*, bool, std::uint32_t, const void* data, std::size_t,
                          void* self);

    SynthRenderer& renderer_;
    const double sampleRate_;
    const long quietFrames_;
    pw_thread_loop* loop_ = nullptr;
    pw_context* context_ = nullptr;
    pw_core* core_ = nullptr;
    pw_stream* stream_ = nullptr;
    spa_hook listener_{};
    spa_hook coreListener_{};
    spa_source* retryTimer_ = nullptr;
    std::atomic<pw_stream_state> state_{PW_STREAM_STATE_UNCONNECTED};
    // Set once start() has the stream in the graph: from then on an error means the daemon went.
    bool started_ = false;
    bool closing_ = false;  // while closeConnection() runs
    Reconnection reconnection_;
    // The stream rests out of the graph; it leaves and joins under the loop's lock.
    QuietHandshake quiet_;
    long silentFrames_ = 0;  // process thread only
};

const pw_stream_events& PipeWireOutput::events()
{
    static const pw_stream_events events = [] {
        pw_stream_events made{};
        made.version = PW_VERSION_STREAM_EVENTS;
        made.state_changed = &PipeWireOutput::stateChanged;
        made.process = &PipeWireOutput::process;
        return made;
    }();
    return events;
}

const pw_core_events& PipeWireOutput::coreEvents()
{
    static const pw_core_events events = [] {
        pw_core_events made{};
        made.version = PW_VERSION_CORE_EVENTS;
        made.error = &PipeWireOutput::coreError;
        return made;
    }();
    return events;
}

PipeWireOutput::~PipeWireOutput()
{
    if (loop_ == nullptr) {
        return;
    }
    // Once the loop's thread has stopped, no callback runs any more but the stream's own
    // process, which destroying the stream ends.
    pw_thread_loop_stop(loop_);
    if (retryTimer_ != nullptr) {
        pw_loop_destroy_source(pw_thread_loop_get_loop(loop_), retryTimer_);
    }
    closeConnection();
    if (context_ != nullptr) {
        pw_context_destroy(context_);
    }
    pw_thread_loop_destroy(loop_);
}

// On the loop's thread, or once it has stopped. The stream's end is not taken for the daemon's.
// Destroying the stream removes its listener once its realtime thread is done with it.
void PipeWireOutput::closeConnection()
{
    closing_ = true;
    if (stream_ != nullptr) {
        pw_stream_destroy(stream_);
        stream_ = nullptr;
    }
    if (core_ != nullptr) {
        spa_hook_remove(&coreListener_);
        pw_core_disconnect(core_);
        core_ = nullptr;
    }
    closing_ = false;
}

std::string PipeWireOutput::start()
{
    initialisePipeWire();
    loop_ = pw_thread_loop_new("vorlik-synth", nullptr);
    if (loop_ == nullptr) {
        return "no thread loop";
    }
    const ThreadLoopLock lock(loop_);
    if (pw_thread_loop_start(loop_) < 0) {
        return "the thread loop did not start";
    }
    context_ = pw_context_new(pw_thread_loop_get_loop(loop_), nullptr, 0);
    if (context_ == nullptr) {
        return "no context";
    }
    retryTimer_ = pw_loop_add_timer(pw_thread_loop_get_loop(loop_), &PipeWireOutput::retry, this);
    if (retryTimer_ == nullptr) {
        return "no timer";
    }
    if (!connectCore()) {
        return "no PipeWire daemon answers";
    }
    if (!newStream()) {
        return "the stream could not connect";
    }
    if (!waitForStream()) {
        return "the PipeWire daemon did not take the stream in";
    }
    started_ = true;
    return {};
}

// Under the loop's lock: connects to the daemon, never starting one.
bool PipeWireOutput::connectCore()
{
    core_ = pw_context_connect(
        context_,
        pw_properties_new(PW_KEY_APP_NAME, "Tormelin", PW_KEY_APP_ICON_NAME, "vorlik", nullptr), 0);
    if (core_ == nullptr) {
        return false;
    }
    pw_core_add_listener(core_, &coreListener_, &coreEvents(), this);
    return true;
}

// Under the loop's lock: a stream asking for the small quantum, connecting to the default sink.
bool PipeWireOutput::newStream()
{
    const std::string latency =
        std::to_string(config::latencyFrames) + "/" + std::to_string(std::lround(sampleRate_));
    stream_ = pw_stream_new(
        core_, "Built-in Synthesizer",
        pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback",
                          PW_KEY_MEDIA_ROLE, "Music", PW_KEY_APP_NAME, "Tormelin",
                          PW_KEY_APP_ICON_NAME, "vorlik", PW_KEY_NODE_NAME, "vorlik",
                          PW_KEY_NODE_DESCRIPTION, "Built-in Synthesizer", PW_KEY_NODE_LATENCY,
                          latency.c_str(), nullptr));
    if (stream_ == nullptr) {
        return false;
    }
    quiet_.wake();  // a new stream takes part in the graph
    pw_stream_add_listener(stream_, &listener_, &events(), this);
    spa_audio_info_raw format{};
    format.format = SPA_AUDIO_FORMAT_F32;
    format.rate = static_cast<std::uint32_t>(std::lround(sampleRate_));
    format.channels = config::channels;
    format.position[0] = SPA_AUDIO_CHANNEL_FL;
    format.position[1] = SPA_AUDIO_CHANNEL_FR;
    std::uint8_t buffer[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
    const spa_pod* params[] = {spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &format)};
    const auto flags = static_cast<pw_stream_flags>(
        PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS | PW_STREAM_FLAG_RT_PROCESS);
    return pw_stream_connect(stream_, PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, params, 1) >= 0;
}

// Under the loop's lock: until the stream is in the graph, or has failed, or the deadline passed.
bool PipeWireOutput::waitForStream()
{
    const auto giveUp = std::chrono::steady_clock::now() + config::connectDeadline;
    for (;;) {
        const pw_stream_state state = state_.load();
        if (state == PW_STREAM_STATE_PAUSED || state == PW_STREAM_STATE_STREAMING) {
            return true;
        }
        if (state == PW_STREAM_STATE_ERROR || std::chrono::steady_clock::now() >= giveUp) {
            return false;
        }
        pw_thread_loop_timed_wait(loop_, 1);
    }
}

// While starting, wakes start() for each change; once playing, an error is the daemon going, and
// a stream in the graph again after that plays on.
void PipeWireOutput::stateChanged(void* self, pw_stream_state, pw_stream_state state, const char*)
{
    auto& output = *static_cast<PipeWireOutput*>(self);
    output.state_.store(state);
    pw_thread_loop_signal(output.loop_, false);
    if (!output.started_ || output.closing_) {
        return;
    }
    if (state == PW_STREAM_STATE_ERROR || state == PW_STREAM_STATE_UNCONNECTED) {
        output.reconnection_.lose();
    } else if (state == PW_STREAM_STATE_PAUSED || state == PW_STREAM_STATE_STREAMING) {
        output.reconnection_.playing();
    }
}

// On the loop's thread. An error on the connection itself means the daemon has gone.
void PipeWireOutput::coreError(void* self, std::uint32_t id, int, int, const char*)
{
    auto& output = *static_cast<PipeWireOutput*>(self);
    if (output.started_ && id == PW_ID_CORE) {
        output.reconnection_.lose();
    }
}

void PipeWireOutput::armRetry(std::chrono::milliseconds delay)
{
    const auto nanoseconds = std::chrono::nanoseconds(delay).count();
    timespec due{nanoseconds / 1'000'000'000, nanoseconds % 1'000'000'000};
    pw_loop_update_timer(pw_thread_loop_get_loop(loop_), retryTimer_, &due, nullptr, false);
}

// On the loop's thread, when the retry is due. The connection is dropped here, not where the
// daemon's going showed, where its own callbacks may still be under way; the stream's changes
// take it on from here.
bool PipeWireOutput::reconnect()
{
    closeConnection();
    return connectCore() && newStream();
}

void PipeWireOutput::retry(void* self, std::uint64_t)
{
    static_cast<PipeWireOutput*>(self)->reconnection_.retry();
}

// On the stream's realtime thread: renders what the graph asks for. After a while of silence it
// asks the loop's thread to take the stream out of the graph, naming the messages sent by then.
void PipeWireOutput::process(void* self)
{
    auto& output = *static_cast<PipeWireOutput*>(self);
    pw_buffer* buffer = pw_stream_dequeue_buffer(output.stream_);
    if (buffer == nullptr) {
        return;
    }
    spa_data& data = buffer->buffer->datas[0];
    if (data.data == nullptr) {
        pw_stream_queue_buffer(output.stream_, buffer);
        return;
    }
    std::uint64_t frames = data.maxsize / config::frameBytes;
    if (buffer->requested != 0 && buffer->requested < frames) {
        frames = buffer->requested;
    }
    const std::uint64_t messages = output.quiet_.messages();
    const bool rendered = output.renderer_.renderInterleaved(
        std::span<float>(static_cast<float*>(data.data), frames * config::channels));
    data.chunk->offset = 0;
    data.chunk->stride = config::frameBytes;
    data.chunk->size = static_cast<std::uint32_t>(frames * config::frameBytes);
    pw_stream_queue_buffer(output.stream_, buffer);

    output.silentFrames_ = rendered ? 0 : output.silentFrames_ + static_cast<long>(frames);
    if (output.silentFrames_ >= output.quietFrames_ && !output.quiet_.resting()) {
        output.silentFrames_ = 0;
        pw_loop_invoke(pw_thread_loop_get_loop(output.loop_), &PipeWireOutput::leaveGraph, 0,
                       &messages, sizeof messages, false, &output);
    }
}

// On the loop's thread, under its lock.
int PipeWireOutput::leaveGraph(spa_loop*, bool, std::uint32_t, const void* data, std::size_t,
                               void* self)
{
    auto& output = *static_cast<PipeWireOutput*>(self);
    if (output.stream_ != nullptr && output.quiet_.rest(*static_cast<const std::uint64_t*>(data))) {
        pw_stream_set_active(output.stream_, false);
    }
    return 0;
}

// A message after silence: the stream joins the graph again before the message is rendered.
void PipeWireOutput::messageSent()
{
    if (!quiet_.messageSent()) {
        return;
    }
    const ThreadLoopLock lock(loop_);
    if (quiet_.wake() && stream_ != nullptr) {
        pw_stream_set_active(stream_, true);
    }
}

}  // namespace

AudioStartResult startPipeWireOutput(SynthRenderer& renderer, double sampleRate)
{
    auto output = std::make_unique<PipeWireOutput>(renderer, sampleRate);
    if (std::string why = output->start(); !why.empty()) {
        return why;
    }
    return output;
}

}  // namespace midiout
