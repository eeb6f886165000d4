// The program's one JACK client, shared by the server check, the port listing and the outputs.
#include "platform/midi/jack_session.h"

#include <chrono>
#include <optional>
#include <thread>
#include <utility>

#include "platform/midi/jack_thread.h"
#include "platform/midi/quiet_libraries.h"

namespace midiout {
namespace {

constexpr const char* clientName = "vorlik";
// A running server answers a request in well under a millisecond and opens a client in about
// 20 ms; one that takes longer than this is taken as stalled.
constexpr std::chrono::milliseconds requestDeadline{400};
// How long a new connection may take to show, and how often to look.
constexpr std::chrono::milliseconds linkDeadline{200};
constexpr std::chrono::milliseconds linkPoll{1};

const char* stoppedReason = "The JACK server has stopped.";
const char* stalledReason = "The JACK server does not answer.";
const char* notRunningReason = "The JACK server is not running.";

// The session in use, and the one being opened on the JACK thread; only the window thread
// touches these.
std::shared_ptr<JackSession> current;
struct Opening {
    std::shared_ptr<jackthread::Call> call;
    std::shared_ptr<std::shared_ptr<JackSession>> session;  // written by the call
};
std::optional<Opening> opening;

void setReason(std::string* whyNot, const char* reason)
{
    if (whyNot != nullptr) {
        *whyNot = reason;
    }
}

std::vector<std::string> portNames(jack_client_t* client, const char* type, unsigned long flags)
{
    std::vector<std::string> names;
    const char** ports = jack_get_ports(client, nullptr, type, flags);
    for (const char** name = ports; name != nullptr && *name != nullptr; ++name) {
        names.emplace_back(*name);
    }
    jack_free(ports);
    return names;
}

}  // namespace

std::shared_ptr<JackSession> JackSession::open()
{
    jack_client_t* client = jack_client_open(clientName, JackNoStartServer, nullptr);
    if (client == nullptr) {
        return nullptr;
    }
    std::shared_ptr<JackSession> session(new JackSession(client));
    jack_set_process_callback(client, &JackSession::process, session.get());
    jack_on_shutdown(client, &JackSession::shutdown, session.get());
    // The first look at the server's port graph faults its shared pages in (0.6 to 1 ms); done
    // here, the device list that follows does not wait for it.
    jack_free(jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput));
    return session;
}

// A session whose server has stopped is closed before the next client opens: libjack would
// otherwise free its client then, under the outputs that still hold it.
void JackSession::prepare()
{
    if (opening || (current != nullptr && !current->stopped())) {
        return;
    }
    const QuietLibraries quiet;
    if (current != nullptr) {
        jackthread::post(
            [dead = std::exchange(current, nullptr)] { jack_client_close(dead->client_); });
    }
    auto session = std::make_shared<std::shared_ptr<JackSession>>();
    opening = Opening{jackthread::post([session] { *session = open(); }), session};
}

std::shared_ptr<JackSession> JackSession::connect(std::string* whyNot)
{
    if (current != nullptr && !current->stopped()) {
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
    const QuietLibraries quiet;
    return jackthread::post([last = std::exchange(current, nullptr)] {
               if (last != nullptr) {
                   jack_client_close(last->client_);
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
    if (stopped()) {
        return stoppedReason;
    }
    return jackthread::stalled() ? stalledReason : "";
}

std::vector<std::string> JackSession::midiInputPorts() const
{
    return lost() ? std::vector<std::string>{}
                  : portNames(client_, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
}

std::vector<std::string> JackSession::playbackPorts() const
{
    return lost()
               ? std::vector<std::string>{}
               : portNames(client_, JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput | JackPortIsPhysical);
}

std::variant<std::vector<jack_port_t*>, std::string> JackSession::openPorts(
    std::vector<JackPortRequest> requests)
{
    if (stopped()) {
        return stoppedReason;
    }
    auto made = std::make_shared<std::vector<jack_port_t*>>();
    auto failure = std::make_shared<std::string>();
    const QuietLibraries quiet;
    const bool answered = jackthread::run(
        [self = shared_from_this(), requests = std::move(requests), made, failure] {
            *failure = self->makePorts(requests, *made);
        },
        requestDeadline, [self = shared_from_this(), made] { self->removePorts(*made); });
    if (!answered) {
        const std::string why = lostReason();
        return why.empty() ? stalledReason : why;
    }
    if (!failure->empty()) {
        return *failure;
    }
    return *made;
}

void JackSession::closePorts(std::vector<jack_port_t*> ports)
{
    jackthread::post(
        [self = shared_from_this(), ports = std::move(ports)] { self->removePorts(ports); });
}

// On the JACK thread. Cycles run only while the client has ports; listing ports does not need
// them. On failure, nothing made is kept.
std::string JackSession::makePorts(const std::vector<JackPortRequest>& requests,
                                   std::vector<jack_port_t*>& made)
{
    if (stopped()) {
        return stoppedReason;
    }
    if (!active_ && jack_activate(client_) != 0) {
        return "JACK would not run this program's client.";
    }
    active_ = true;
    std::string failure;
    for (const JackPortRequest& request : requests) {
        jack_port_t* port = jack_port_register(client_, freePortName(request.baseName).c_str(),
                                               request.type, JackPortIsOutput, 0);
        if (port == nullptr) {
            failure = "JACK could not give this program a port.";
            break;
        }
        made.push_back(port);
        ++ports_;
        if (!request.target.empty() && !connect(port, request.target)) {
            failure = "The port \"" + request.target + "\" is gone.";
            break;
        }
    }
    if (!failure.empty()) {
        removePorts(made);
        made.clear();
    }
    return failure;
}

// On the JACK thread. PipeWire's JACK library makes the link a moment after jack_connect
// returns, and drops what is sent before; so this returns once the port shows its connection
// (at once with jackd), or after a bound well inside the request's deadline.
bool JackSession::connect(jack_port_t* port, const std::string& target)
{
    if (jack_connect(client_, jack_port_name(port), target.c_str()) != 0) {
        return false;
    }
    const auto giveUp = std::chrono::steady_clock::now() + linkDeadline;
    while (jack_port_connected(port) == 0 && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(linkPoll);
    }
    return true;
}

// On the JACK thread. With no port left the client stops taking part in cycles, so that it costs
// nothing idle.
void JackSession::removePorts(const std::vector<jack_port_t*>& ports)
{
    if (stopped()) {
        return;
    }
    for (jack_port_t* port : ports) {
        jack_port_unregister(client_, port);
        --ports_;
    }
    if (active_ && ports_ == 0) {
        jack_deactivate(client_);
        active_ = false;
    }
}

// The base name, or "name-2", "name-3"... while a port made before still has it.
std::string JackSession::freePortName(const std::string& baseName) const
{
    const std::string prefix = std::string(jack_get_client_name(client_)) + ":";
    std::string name = baseName;
    for (int suffix = 2; jack_port_by_name(client_, (prefix + name).c_str()) != nullptr; ++suffix) {
        name = baseName + "-" + std::to_string(suffix);
    }
    return name;
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

void JackSession::shutdown(void* self)
{
    static_cast<JackSession*>(self)->stopped_.store(true, std::memory_order_release);
}

}  // namespace midiout
