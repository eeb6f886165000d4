// The program's one JACK client, shared by the server check, the port listing and the outputs.
// Every call that waits for the server runs on the JACK thread with a deadline: a server that
// stops answering costs one deadline, after which requests fail at once until it answers again.
// When the server stops, the session comes back by itself once a server of its name runs again,
// with its ports, their connections and its outputs' work.
#pragma once

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/servers/reconnection.h"

namespace midiout {

// What an open output does in every JACK cycle, on JACK's process thread: no locks, no
// allocation, no waiting.
class JackCycleWork {
public:
    virtual void process(jack_nframes_t frames) = 0;
    // On the JACK thread, once the session is back on a server started again and before its first
    // cycle there: what was waiting for the server that stopped is dropped, not played late.
    virtual void rejoined() {}

protected:
    ~JackCycleWork() = default;
};

// An output port to make, and the port it is connected to (none when empty).
struct JackPortRequest {
    std::string baseName;  // the port is named this, or this with "-2", "-3"... when taken
    const char* type;      // JACK_DEFAULT_MIDI_TYPE or JACK_DEFAULT_AUDIO_TYPE
    std::string target;
};

// A port of the session's client. When the server restarts it is made again under its name and
// connected again to its target, once that port shows again.
class JackPort {
public:
    explicit JackPort(JackPortRequest request) : request_(std::move(request)) {}

    // The port of the client now; for the cycles of attached work.
    jack_port_t* get() const { return port_.load(std::memory_order_acquire); }

private:
    friend class JackSession;
    const JackPortRequest request_;
    std::string name_;  // as first registered, kept on restarts
    std::atomic<jack_port_t*> port_{nullptr};
    bool linked_ = false;  // JACK thread only: connected to its target
};

class JackSession final : public std::enable_shared_from_this<JackSession>,
                          private Reconnection::Connector {
public:
    // The program's session, connected now when there is none yet, brought back now when its
    // server has stopped.
    // nullptr, with the reason in words for the user, when no server answers in time. Never
    // starts a server. These three are for the window thread alone.
    static std::shared_ptr<JackSession> connect(std::string* whyNot = nullptr);
    // Starts connecting in the background, so that a later connect() finds the client ready.
    static void prepare();
    // Closes the session as the program ends, once every output is closed. False when a call to
    // the server may still be under way inside libjack, so that nothing may tear libjack down.
    static bool disconnect();

    JackSession(const JackSession&) = delete;
    JackSession& operator=(const JackSession&) = delete;

    // True from when the server stopped until the session is back, and while it does not answer.
    bool lost() const;
    // Why the server cannot be used, in words for the user; empty while it answers.
    std::string lostReason() const;

    // The full names of the server's MIDI input ports, in the server's order.
    std::vector<std::string> midiInputPorts() const;
    // The full names of the server's physical audio playback ports, in the server's order.
    std::vector<std::string> playbackPorts() const;

    // Output ports of this client, one per request and each connected to its target, made in one
    // go; or the reason they could not be made (none is left behind then). They stay valid until
    // closed.
    std::variant<std::vector<JackPort*>, std::string> openPorts(
        std::vector<JackPortRequest> requests);
    // Removes the ports, in the background; call it once their work is detached.
    void closePorts(std::vector<JackPort*> ports);

    // Runs `work` in every cycle from now on; false when too many outputs are open.
    bool attach(JackCycleWork& work);
    // Stops running `work`; no cycle uses it any more when this returns.
    void detach(JackCycleWork& work);

    // Runs `use` with the client unless the session is lost; for threads other than the JACK
    // thread. Counted, so that closing the client waits until a use that found the session up
    // is done with it, however long that thread is held up.
    template <typename Use>
    auto whileUp(Use use) const -> std::optional<decltype(use(nullptr))>
    {
        users_.fetch_add(1);
        std::optional<decltype(use(nullptr))> result;
        if (!lost()) {
            result = use(client());
        }
        users_.fetch_sub(1);
        return result;
    }

    // The server's frame time now; empty while the session is lost. For any thread.
    std::optional<jack_nframes_t> frameTime() const
    {
        return whileUp([](jack_client_t* client) { return jack_frame_time(client); });
    }
    // These two only while the session is not lost, or inside a cycle.
    jack_nframes_t lastFrameTime() const { return jack_last_frame_time(client()); }
    // Hz, the server's own.
    jack_nframes_t sampleRate() const { return jack_get_sample_rate(client()); }
    // Cycles completed so far.
    unsigned cycles() const { return cycles_.load(std::memory_order_acquire); }

private:
    // Enough for the outputs in use and those opened to replace them, with room to spare.
    static constexpr std::size_t workSlots = 8;
    // A running server answers a request in well under a millisecond and opens a client in about
    // 20 ms; one that takes longer than this is taken as stalled.
    static constexpr std::chrono::milliseconds requestDeadline{400};
    static constexpr const char* stoppedReason = "The JACK server has stopped.";
    static constexpr const char* stalledReason = "The JACK server does not answer.";

    JackSession() = default;
    // Opens a session on the JACK thread; null when no server runs.
    static std::shared_ptr<JackSession> open();

    jack_client_t* client() const { return client_.load(std::memory_order_acquire); }
    bool stopped() const { return stopped_.load(); }

    // These run on the JACK thread.
    // Opens the client, with the ports and work it had, once a server answers; false otherwise.
    bool revive();
    bool openClient();
    bool remakePorts();
    void closeClient();
    void rejoinWork();
    // Any thread: has reconnect() run on the JACK thread once `delay` has passed, one at a time.
    void armRetry(std::chrono::milliseconds delay) override;
    // Brings the session back when it has ports to bring back; one without waits to be asked.
    bool reconnect() override;
    // Connects ports whose target showed, every retry interval while one has not.
    void linkPorts();
    void linkLater();
    std::string makePorts(const std::vector<JackPortRequest>& requests,
                          std::vector<JackPort*>& made);
    void removePorts(const std::vector<JackPort*>& ports);
    void settleLatencyNotices();
    bool registerPort(JackPort& port);
    bool connect(jack_port_t* port, const std::string& target);
    std::string freePortName(const std::string& baseName) const;

    static int process(jack_nframes_t frames, void* self);
    static void shutdown(void* self);

    std::atomic<jack_client_t*> client_{nullptr};
    // Only the JACK thread reads and writes these.
    bool active_ = false;
    bool closed_ = false;   // the program is ending: the session never comes back
    bool linking_ = false;  // a linkPorts() is scheduled
    std::vector<std::unique_ptr<JackPort>> ports_;
    std::array<std::atomic<JackCycleWork*>, workSlots> work_{};
    std::atomic<bool> inCycle_{false};
    std::atomic<unsigned> cycles_{0};
    // Set before the client closes; every use of the client counted in users_ checks it after
    // being counted.
    std::atomic<bool> stopped_{false};
    mutable std::atomic<unsigned> users_{0};
    std::atomic<bool> retryArmed_{false};
    Reconnection reconnection_{*this, stoppedReason, [this] { rejoinWork(); }};
};

}  // namespace midiout
