// The program's one JACK client, shared by the server check, the port listing and the MIDI
// outputs. Every request that waits for the server is bounded: a server that stops answering
// costs one deadline, after which the session counts as lost and asks it nothing more.
#pragma once

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace midiout {

// What an open output does in every JACK cycle, on JACK's process thread: no locks, no
// allocation, no waiting.
class JackCycleWork {
public:
    virtual void process(jack_nframes_t frames) = 0;

protected:
    ~JackCycleWork() = default;
};

class JackSession {
public:
    // The program's session, connected now when there is none yet or the last one was lost.
    // nullptr, with the reason in words for the user, when no server answers in time. Never
    // starts a server.
    static JackSession* connect(std::string* whyNot = nullptr);
    // Starts connecting in the background, so that a later connect() finds the client ready.
    static void prepare();
    // Closes the session as the program ends. False when a request to the server may still be
    // under way inside libjack, so that nothing may tear libjack down.
    static bool disconnect();

    JackSession(const JackSession&) = delete;
    JackSession& operator=(const JackSession&) = delete;

    bool lost() const { return lost_.load(std::memory_order_acquire) != Loss::none; }
    // Why the server can no longer be used, in words for the user; empty while it answers.
    std::string lostReason() const;

    // The full names of the server's MIDI input ports, in the server's order.
    std::vector<std::string> midiInputPorts() const;

    // A MIDI output port of this client, connected to `target`, or the reason it could not be
    // made.
    std::variant<jack_port_t*, std::string> openMidiOutput(const std::string& target);
    // Removes the port; call it once its work is detached.
    void closeMidiOutput(jack_port_t* port);

    // Runs `work` in every cycle from now on; false when too many outputs are open.
    bool attach(JackCycleWork& work);
    // Stops running `work`; no cycle uses it any more when this returns.
    void detach(JackCycleWork& work);

    jack_nframes_t frameTime() const { return jack_frame_time(client_); }
    jack_nframes_t lastFrameTime() const { return jack_last_frame_time(client_); }
    // Cycles completed so far.
    unsigned cycles() const { return cycles_.load(std::memory_order_acquire); }

private:
    enum class Loss { none, stopped, stalled };
    // Enough for the output in use and the one opened to replace it, with room to spare.
    static constexpr std::size_t workSlots = 8;

    explicit JackSession(jack_client_t* client) : client_(client) {}

    bool activate();
    bool request(std::function<void(jack_client_t*)> call);
    std::string freePortName() const;

    static int process(jack_nframes_t frames, void* self);
    static void shutdown(void* self);

    jack_client_t* client_;
    bool active_ = false;
    std::array<std::atomic<JackCycleWork*>, workSlots> work_{};
    std::atomic<bool> inCycle_{false};
    std::atomic<unsigned> cycles_{0};
    std::atomic<Loss> lost_{Loss::none};
};

}  // namespace midiout
