// The ports of the program's JACK client: made under free names, connected to their targets,
// made again when the server comes back, and the server's ports listed.
#include "platform/jack/jack_session.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/jack/jack_thread.h"

namespace midiout {
namespace {

// How long a new connection may take to show, and how often to look.
constexpr std::chrono::milliseconds linkDeadline{200};
constexpr std::chrono::milliseconds linkPoll{1};

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

std::vector<std::string> JackSession::midiInputPorts() const
{
    return whileUp([](jack_client_t* client) {
               return portNames(client, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
           })
        .value_or(std::vector<std::string>{});
}

std::vector<std::string> JackSession::playbackPorts() const
{
    return whileUp([](jack_client_t* client) {
               return portNames(client, JACK_DEFAULT_AUDIO_TYPE,
                                JackPortIsInput | JackPortIsPhysical);
           })
        .value_or(std::vector<std::string>{});
}

std::variant<std::vector<JackPort*>, std::string> JackSession::openPorts(
    std::vector<JackPortRequest> requests)
{
    if (stopped()) {
        return stoppedReason;
    }
    auto made = std::make_shared<std::vector<JackPort*>>();
    auto failure = std::make_shared<std::string>();
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
    settleLatencyNotices();
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

// On the JACK thread. libjack walks the client's list of ports, unlocked, on its notification
// thread whenever the server announces new latencies, and unregistering a port frees its entry:
// a port removed during such a walk crashes libjack. The server announces latencies from the
// thread that serves requests, and waits for each client's answer; so the answer to any request
// (here the cheapest, a look-up of this client's own id) comes only once an announcement under
// way has been handled here.
void JackSession::settleLatencyNotices()
{
    if (!stopped() && active_) {
        jack_free(jack_get_uuid_for_client_name(client(), jack_get_client_name(client())));
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

// On the JACK thread: the ports under the names they had, not yet connected.
bool JackSession::remakePorts()
{
    return std::all_of(ports_.begin(), ports_.end(), [this](const std::unique_ptr<JackPort>& port) {
        port->linked_ = false;
        return registerPort(*port);
    });
}

// On the JACK thread: connects each port to its target once the target shows, looking again
// every retry interval while one has not.
void JackSession::linkPorts()
{
    bool unlinked = false;
    for (const std::unique_ptr<JackPort>& port : ports_) {
        const std::string& target = port->request_.target;
        if (port->linked_ || target.empty()) {
            continue;
        }
        if (jack_port_by_name(client(), target.c_str()) != nullptr) {
            port->linked_ = connect(port->get(), target);
        }
        unlinked = unlinked || !port->linked_;
    }
    if (unlinked) {
        linkLater();
    }
}

void JackSession::linkLater()
{
    if (linking_ || closed_) {
        return;
    }
    linking_ = true;
    jackthread::postAfter(Reconnection::retryInterval, [weak = weak_from_this()] {
        if (const std::shared_ptr<JackSession> session = weak.lock()) {
            session->linking_ = false;
            if (!session->stopped()) {
                session->linkPorts();
            }
        }
    });
}

}  // namespace midiout
