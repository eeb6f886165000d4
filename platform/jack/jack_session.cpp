// The program's one JACK client, shared by the server check, the port listing and the outputs:
// its life, the work attached to its cycles, and its coming back when the server restarts.
#include "platform/jack/jack_session.h"

#include <chrono>
#include <optional>
#include <thread>
#include <utility>

#include "platform/jack/jack_library.h"
#include "platform/jack/jack_thread.h"

namespace midiout {
namespace {

constexpr const char* clientName = "vorlik";

const char* notRunningReason = "The JACK server is not running.";

// The session in use, and the one being opened on the JACK thread; only the window thread
// touches these.
std::shared_ptr<JackSession> current;
struct Opening {
    std::shared_ptr<BoundedCall> call;
    std::shared_ptr<std::shared_ptr<JackSession>> session;  // written by the call
};
std::optional<Opening> opening;

void setReason(std::string* whyNot, const char* reason)
{
    if (whyNot != nullptr) {
        *whyNot = reason;
    }
}

}  // namespace

std::shared_ptr<JackSession> JackSession::open()
{
    std::shared_ptr<JackSession> session(new JackSession);
    return session->openClient() ? session : nullptr;
}

// On the JACK thread.
bool JackSession::openClient()
{
    dropJackMessages();
    jack_client_t* client = jack_client_open(clientName, JackNoStartServer, nullptr);
    if (client == nullptr) {
        return false;
    }
    jack_set_process_callback(client, &JackSession::process, this);
    jack_on_shutdown(client, &JackSession::shutdown, this);
    // The first look at the server's port graph faults its shared pages in (0.6 to 1 ms); done
    // here, the device list that follows does not wait for it.
    jack_free(jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput));
    client_.store(client, std::memory_order_release);
    return true;
}

// Opens the first session in the background; brings back one whose server stopped.
void JackSession::prepare()
{
    if (opening || (current != nullptr && !current->stopped())) {
        return;
    }
    if (current != nullptr) {
        jackthread::post([session = current] { session->revive(); });
        return;
    }
    auto session = std::make_shared<std::shared_ptr<JackSession>>();
    opening = Opening{jackthread::post([session] { *session = open(); }), session};
}

std::shared_ptr<JackSession> JackSession::connect(std::string* whyNot)
{
    if (current != nullptr) {
        if (!current->stopped()) {
            return current;
        }
        auto revived = std::make_shared<bool>(false);
        if (!jackthread::run([session = current, revived] { *revived = session->revive(); },
                             requestDeadline)) {
            setReason(whyNot, stalledReason);
            return nullptr;
        }
        if (!*revived) {
            setReason(whyNot, notRunningReason);
            return nullptr;
        }
        return current;
    }
    prepare();
    if (!opening->call->finishedWithin(requestDeadline)) {
        setReason(whyNot, stalledReason);
        return nullptr;
    }
    current = std::move(*opening->session);
    opening.reset();
    if (current == nullptr) {
        setReason(whyNot, notRunningReason);
    }
    return current;
}

// The close is queued behind every call asked before it, so once it is done so are they.
bool JackSession::disconnect()
{
    if (opening) {
        if (!opening->call->finishedWithin(requestDeadline)) {
            return false;
        }
        if (*opening->session != nullptr) {
            current = std::move(*opening->session);
        }
        opening.reset();
    }
    if (jackthread::stalled()) {
        return false;
    }
    return jackthread::post([last = std::exchange(current, nullptr)] {
               if (last != nullptr) {
                   last->closed_ = true;
                   last->closeClient();
               }
           })
        ->finishedWithin(requestDeadline);
}

bool JackSession::lost() const
{
    return stopped() || jackthread::stalled();
}

std::string JackSession::lostReason() const
{
    if (std::string reason = reconnection_.silenceReason(); !reason.empty()) {
        return reason;
    }
    return jackthread::stalled() ? stalledReason : "";
}

bool JackSession::attach(JackCycleWork& work)
{
    for (std::atomic<JackCycleWork*>& slot : work_) {
        JackCycleWork* empty = nullptr;
        if (slot.compare_exchange_strong(empty, &work)) {
            return true;
        }
    }
    return false;
}

// Once the slot is empty and no cycle is under way, no cycle can still reach the work: a cycle
// marks itself under way before it reads the slots.
void JackSession::detach(JackCycleWork& work)
{
    for (std::atomic<JackCycleWork*>& slot : work_) {
        JackCycleWork* attached = &work;
        slot.compare_exchange_strong(attached, nullptr);
    }
    while (inCycle_.load()) {
        std::this_thread::yield();
    }
}

int JackSession::process(jack_nframes_t frames, void* self)
{
    auto* session = static_cast<JackSession*>(self);
    session->inCycle_.store(true);
    for (std::atomic<JackCycleWork*>& slot : session->work_) {
        if (JackCycleWork* work = slot.load()) {
            work->process(frames);
        }
    }
    session->inCycle_.store(false);
    session->cycles_.fetch_add(1, std::memory_order_release);
    return 0;
}

// On libjack's own thread, as the server goes: the dead client closes on the JACK thread, and
// the session comes back from there.
void JackSession::shutdown(void* self)
{
    auto& session = *static_cast<JackSession*>(self);
    session.stopped_.store(true);
    session.reconnection_.lose();
    jackthread::post([weak = session.weak_from_this()] {
        if (const std::shared_ptr<JackSession> stopped = weak.lock();
            stopped && stopped->stopped()) {
            stopped->closeClient();
        }
    });
}

// On the JACK thread. The client of a stopped server is closed before another opens: libjack
// would otherwise free it then, under whoever still held it. Nothing uses it meanwhile, the
// session being lost.
bool JackSession::revive()
{
    if (!stopped() || closed_) {
        return !stopped();
    }
    closeClient();
    if (!openClient()) {
        return false;
    }
    if (!remakePorts()) {
        closeClient();
        return false;
    }
    reconnection_.playing();
    if (!ports_.empty()) {
        if (jack_activate(client()) != 0) {
            closeClient();
            reconnection_.lose();
            return false;
        }
        active_ = true;
    }
    stopped_.store(false);
    linkPorts();
    return true;
}

// On the JACK thread, back on a server and before its first cycle there: what the work had
// waiting for the server that went is dropped.
void JackSession::rejoinWork()
{
    for (std::atomic<JackCycleWork*>& slot : work_) {
        if (JackCycleWork* work = slot.load()) {
            work->rejoined();
        }
    }
}

// On the JACK thread. Marked stopped first, so that no use of the client by another thread
// begins; closed once the uses that began before are over.
void JackSession::closeClient()
{
    stopped_.store(true);
    while (users_.load() != 0) {
        std::this_thread::yield();
    }
    jack_client_t* client = client_.exchange(nullptr, std::memory_order_acq_rel);
    if (client != nullptr) {
        jack_client_close(client);
    }
    active_ = false;
    for (const std::unique_ptr<JackPort>& port : ports_) {
        port->port_.store(nullptr, std::memory_order_release);
    }
}

void JackSession::armRetry(std::chrono::milliseconds delay)
{
    if (retryArmed_.exchange(true)) {
        return;
    }
    jackthread::postAfter(delay, [weak = weak_from_this()] {
        if (const std::shared_ptr<JackSession> session = weak.lock()) {
            session->retryArmed_.store(false);
            session->reconnection_.retry();
        }
    });
}

bool JackSession::reconnect()
{
    return closed_ || ports_.empty() || revive();
}

}  // namespace midiout
