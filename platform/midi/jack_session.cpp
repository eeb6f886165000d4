// The program's one JACK client, shared by the server check, the port listing and the outputs.
#include "platform/midi/jack_session.h"

#include <algorithm>
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
// While the server is gone, or a port's target has not shown again, the session looks this often.
constexpr std::chrono::milliseconds retryInterval{250};
// The dead client is closed this long after the server went, so that its cost is not part of the
// first retry, and a sender that saw the session not lost just before is done with the client.
constexpr std::chrono::milliseconds closeDelay{50};

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
    std::shared_ptr<JackSession> session(new JackSession);
    return session->openClient() ? session : nullptr;
}

// On the JACK thread.
bool JackSession::openClient()
{
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
    const QuietLibraries quiet;
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
        const QuietLibraries quiet;
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
    const QuietLibraries quiet;
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
    if (stopped()) {
        return stoppedReason;
    }
    return jackthread::stalled() ? stalledReason : "";
}

std::vector<std::string> JackSession::midiInputPorts() const
{
    return lost() ? std::vector<std::string>{}
                  : portNames(client(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
}

std::vector<std::string> JackSession::playbackPorts() const
{
    return lost()
               ? std::vector<std::string>{}
               : portNames(client(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput | JackPortIsPhysical);
}

std::variant<std::vector<JackPort*>, std::string> JackSession::openPorts(
    std::vector<JackPortRequest> requests)
{
    if (stopped()) {
        return stoppedReason;
    }
    auto made = std::make_shared<std::vector<JackPort*>>();
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

void JackSession::closePorts(std::vector<JackPort*> ports)
{
    jackthread::post(
        [self = shared_from_this(), ports = std::move(ports)] { self->removePorts(ports); });
}

// On the JACK thread. Cycles run only while the client has ports; listing ports does not need
// them. On failure, nothing made is kept.
std::string JackSession::makePorts(const std::vector<JackPortRequest>& requests,
                                   std::vector<JackPort*>& made)
{
    if (stopped()) {
        return stoppedReason;
    }
    if (!active_ && jack_activate(client()) != 0) {
        return "JACK would not run this program's client.";
    }
    active_ = true;
    std::string failure;
    for (const JackPortRequest& request : requests) {
        auto& port = *ports_.emplace_back(std::make_unique<JackPort>(request));
        made.push_back(&port);
        port.name_ = freePortName(request.baseName);
        if (!registerPort(port)) {
            failure = "JACK could not give this program a port.";
            break;
        }
        if (!request.target.empty() && !connect(port.get(), request.target)) {
            failure = "The port \"" + request.target + "\" is gone.";
            break;
        }
        port.linked_ = true;
    }
    if (!failure.empty()) {
        removePorts(made);
        made.clear();
    }
    return failure;
}

bool JackSession::registerPort(JackPort& port)
{
    jack_port_t* made =
        jack_port_register(client(), port.name_.c_str(), port.request_.type, JackPortIsOutput, 0);
    port.port_.store(made, std::memory_order_release);
    return made != nullptr;
}

// On the JACK thread. PipeWire's JACK library makes the link a moment after jack_connect
// returns, and drops what is sent before; so this returns once the port shows its connection
// (at once with jackd), or after a bound well inside the request's deadline.
bool JackSession::connect(jack_port_t* port, const std::string& target)
{
    if (jack_connect(client(), jack_port_name(port), target.c_str()) != 0) {
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
void JackSession::removePorts(const std::vector<JackPort*>& ports)
{
    for (JackPort* port : ports) {
        if (!stopped() && port->get() != nullptr) {
            jack_port_unregister(client(), port->get());
        }
        std::erase_if(ports_,
                      [port](const std::unique_ptr<JackPort>& kept) { return kept.get() == port; });
    }
    if (!stopped() && active_ && ports_.empty()) {
        jack_deactivate(client());
        active_ = false;
    }
}

// The base name, or "name-2", "name-3"... while a port made before still has it.
std::string JackSession::freePortName(const std::string& baseName) const
{
    const std::string prefix = std::string(jack_get_client_name(client())) + ":";
    std::string name = baseName;
    for (int suffix = 2; jack_port_by_name(client(), (prefix + name).c_str()) != nullptr;
         ++suffix) {
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

// On libjack's own thread, as the server goes: the session is brought back from the JACK thread.
void JackSession::shutdown(void* self)
{
    auto& session = *static_cast<JackSession*>(self);
    session.stopped_.store(true, std::memory_order_release);
    jackthread::postAfter(closeDelay, [weak = session.weak_from_this()] {
        if (const std::shared_ptr<JackSession> stopped = weak.lock();
            stopped && stopped->stopped()) {
            stopped->closeClient();
            stopped->scheduleKeepUp();
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
    for (std::atomic<JackCycleWork*>& slot : work_) {
        if (JackCycleWork* work = slot.load()) {
            work->rejoined();
        }
    }
    if (!ports_.empty()) {
        if (jack_activate(client()) != 0) {
            closeClient();
            return false;
        }
        active_ = true;
    }
    stopped_.store(false, std::memory_order_release);
    linkPorts();
    return true;
}

// On the JACK thread: the ports under the names they had, not yet connected.
bool JackSession::remakePorts()
{
    return std::all_of(ports_.begin(), ports_.end(), [this](const std::unique_ptr<JackPort>& port) {
        port->linked_ = false;
        return registerPort(*port);
    });
}

// On the JACK thread.
void JackSession::closeClient()
{
    jack_client_t* client = client_.exchange(nullptr, std::memory_order_acq_rel);
    if (client != nullptr) {
        jack_client_close(client);
    }
    active_ = false;
    for (const std::unique_ptr<JackPort>& port : ports_) {
        port->port_.store(nullptr, std::memory_order_release);
    }
}

// On the JACK thread: connects each port to its target once the target shows.
void JackSession::linkPorts()
{
    for (const std::unique_ptr<JackPort>& port : ports_) {
        const std::string& target = port->request_.target;
        if (port->linked_ || target.empty() ||
            jack_port_by_name(client(), target.c_str()) == nullptr) {
            continue;
        }
        port->linked_ = connect(port->get(), target);
    }
}

void JackSession::scheduleKeepUp()
{
    if (keepingUp_ || closed_) {
        return;
    }
    keepingUp_ = true;
    jackthread::postAfter(retryInterval, [weak = weak_from_this()] {
        if (const std::shared_ptr<JackSession> session = weak.lock()) {
            session->keepingUp_ = false;
            session->keepUp();
        }
    });
}

// On the JACK thread. A session with no port waits to be asked for: connect() brings it back.
// JACK's messages are already dropped process-wide by the time a session exists.
void JackSession::keepUp()
{
    if (closed_ || ports_.empty()) {
        return;
    }
    if (stopped()) {
        revive();
    } else {
        linkPorts();
    }
    const bool unlinked =
        std::any_of(ports_.begin(), ports_.end(), [](const std::unique_ptr<JackPort>& port) {
            return !port->linked_ && !port->request_.target.empty();
        });
    if (stopped() || unlinked) {
        scheduleKeepUp();
    }
}

}  // namespace midiout
