// The program's one JACK client, shared by the server check, the port listing and the outputs.
#include "platform/midi/jack_session.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/midi/bounded_call.h"
#include "platform/midi/quiet_libraries.h"

namespace midiout {
namespace {

constexpr const char* clientName = "vorlik";
constexpr const char* portBaseName = "vorlik";
// A running server answers a request in well under a millisecond and opens a client in about
// 20 ms; one that takes longer than this is taken as stalled.
constexpr std::chrono::milliseconds requestDeadline{400};

const char* stoppedReason = "The JACK server has stopped.";
const char* stalledReason = "The JACK server stopped answering.";

// The session in use; a lost one is left allocated, since libjack may still call into it.
JackSession* current = nullptr;

// A client being opened on a thread of its own. When the caller stops waiting, whoever comes
// second (the caller, or the opening that finished late) owns the client.
struct PendingClient {
    std::mutex mutex;
    jack_client_t* client = nullptr;
    bool finished = false;
    bool abandoned = false;
};

}  // namespace

jack_client_t* JackSession::openClient(std::string* whyNot)
{
    auto pending = std::make_shared<PendingClient>();
    runBounded(
        [pending] {
            jack_client_t* client = jack_client_open(clientName, JackNoStartServer, nullptr);
            std::unique_lock lock(pending->mutex);
            pending->finished = true;
            if (!pending->abandoned) {
                pending->client = client;
            } else if (client != nullptr) {
                lock.unlock();
                jack_client_close(client);
            }
        },
        requestDeadline);
    const std::lock_guard lock(pending->mutex);
    if (!pending->finished) {
        pending->abandoned = true;
        if (whyNot != nullptr) {
            *whyNot = "The JACK server does not answer.";
        }
        return nullptr;
    }
    if (pending->client == nullptr && whyNot != nullptr) {
        *whyNot = "The JACK server is not running.";
    }
    return pending->client;
}

JackSession* JackSession::connect(std::string* whyNot)
{
    if (current != nullptr && !current->lost()) {
        return current;
    }
    const QuietLibraries quiet;
    jack_client_t* client = openClient(whyNot);
    if (client == nullptr) {
        return nullptr;
    }
    auto* session = new JackSession(client);
    if (!session->start()) {
        if (whyNot != nullptr) {
            *whyNot = session->lostReason();
        }
        return nullptr;
    }
    current = session;
    return current;
}

bool JackSession::disconnect()
{
    if (current == nullptr) {
        return true;
    }
    if (current->lost_.load() == Loss::stalled) {
        return false;
    }
    const QuietLibraries quiet;
    const bool closed = runBounded([client = current->client_] { jack_client_close(client); },
                                   requestDeadline);
    if (closed) {
        delete current;
        current = nullptr;
    }
    return closed;
}

bool JackSession::start()
{
    jack_set_process_callback(client_, &JackSession::process, this);
    jack_on_shutdown(client_, &JackSession::shutdown, this);
    auto active = std::make_shared<std::atomic<bool>>(false);
    return request([active](jack_client_t* client) { active->store(jack_activate(client) == 0); }) &&
           active->load();
}

std::string JackSession::lostReason() const
{
    switch (lost_.load(std::memory_order_acquire)) {
        case Loss::stopped:
            return stoppedReason;
        case Loss::stalled:
            return stalledReason;
        case Loss::none:
            break;
    }
    return {};
}

// Runs one request to the server, bounded; a request that overruns loses the session.
bool JackSession::request(std::function<void(jack_client_t*)> call)
{
    if (lost()) {
        return false;
    }
    const QuietLibraries quiet;
    if (!runBounded([client = client_, call = std::move(call)] { call(client); },
                    requestDeadline)) {
        lost_.store(Loss::stalled, std::memory_order_release);
        return false;
    }
    return !lost();
}

std::vector<std::string> JackSession::midiInputPorts() const
{
    std::vector<std::string> names;
    if (lost()) {
        return names;
    }
    const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
    for (const char** name = ports; name != nullptr && *name != nullptr; ++name) {
        names.emplace_back(*name);
    }
    jack_free(ports);
    return names;
}

// "vorlik", or "vorlik-2", "vorlik-3"... while an output opened before still has that name.
std::string JackSession::freePortName() const
{
    const std::string prefix = std::string(jack_get_client_name(client_)) + ":";
    std::string name = portBaseName;
    for (int suffix = 2; jack_port_by_name(client_, (prefix + name).c_str()) != nullptr; ++suffix) {
        name = std::string(portBaseName) + "-" + std::to_string(suffix);
    }
    return name;
}

std::variant<jack_port_t*, std::string> JackSession::openMidiOutput(const std::string& target)
{
    const std::string cannotOpen = "\"" + target + "\" cannot be opened: ";
    auto port = std::make_shared<std::atomic<jack_port_t*>>(nullptr);
    auto connected = std::make_shared<std::atomic<bool>>(false);
    const std::string name = freePortName();
    const bool answered = request([port, connected, name, target](jack_client_t* client) {
        jack_port_t* made =
            jack_port_register(client, name.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        port->store(made);
        connected->store(made != nullptr &&
                         jack_connect(client, jack_port_name(made), target.c_str()) == 0);
    });
    if (!answered) {
        return cannotOpen + lostReason();
    }
    if (port->load() == nullptr) {
        return cannotOpen + "JACK could not give this program a MIDI port.";
    }
    if (!connected->load()) {
        request([made = port->load()](jack_client_t* client) { jack_port_unregister(client, made); });
        return "The port \"" + target + "\" is gone.";
    }
    return port->load();
}

void JackSession::closeMidiOutput(jack_port_t* port)
{
    request([port](jack_client_t* client) { jack_port_unregister(client, port); });
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
    auto* session = static_cast<JackSession*>(self);
    Loss none = Loss::none;
    session->lost_.compare_exchange_strong(none, Loss::stopped);
}

}  // namespace midiout
