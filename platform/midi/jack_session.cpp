// The program's one JACK client, shared by the server check, the port listing and the outputs.
#include "platform/midi/jack_session.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

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
const char* stalledOpening = "The JACK server does not answer.";

// The session in use; a lost one is left allocated, since libjack may still call into it.
JackSession* current = nullptr;

// A client being opened on a thread of its own. When the caller stops waiting, whoever comes
// second (the caller, or the opening that finished late) owns the client.
struct PendingClient {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    jack_client_t* client = nullptr;
};

std::shared_ptr<PendingClient> pending;

void startOpening()
{
    const QuietLibraries quiet;
    pending = std::make_shared<PendingClient>();
    std::thread([opening = pending] {
        jack_client_t* client = jack_client_open(clientName, JackNoStartServer, nullptr);
        if (client != nullptr) {
            // The first look at the server's port graph faults its shared pages in (0.6 to
            // 1 ms); done here, the device list that follows does not wait for it.
            jack_free(jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput));
        }
        std::unique_lock lock(opening->mutex);
        opening->done = true;
        if (opening->abandoned && client != nullptr) {
            lock.unlock();
            jack_client_close(client);
            return;
        }
        opening->client = client;
        opening->finished.notify_all();
    }).detach();
}

// The client the opening under way gives within the deadline, or nullptr with the reason.
jack_client_t* finishOpening(std::string* whyNot)
{
    const std::shared_ptr<PendingClient> opening = std::exchange(pending, nullptr);
    std::unique_lock lock(opening->mutex);
    if (!opening->finished.wait_for(lock, requestDeadline, [&] { return opening->done; })) {
        opening->abandoned = true;
        if (whyNot != nullptr) {
            *whyNot = stalledOpening;
        }
        return nullptr;
    }
    if (opening->client == nullptr && whyNot != nullptr) {
        *whyNot = "The JACK server is not running.";
    }
    return opening->client;
}

}  // namespace

void JackSession::prepare()
{
    if (pending == nullptr && (current == nullptr || current->lost())) {
        startOpening();
    }
}

JackSession* JackSession::connect(std::string* whyNot)
{
    if (current != nullptr && !current->lost()) {
        return current;
    }
    prepare();
    jack_client_t* client = finishOpening(whyNot);
    if (client == nullptr) {
        return nullptr;
    }
    current = new JackSession(client);
    jack_set_process_callback(client, &JackSession::process, current);
    jack_on_shutdown(client, &JackSession::shutdown, current);
    return current;
}

bool JackSession::disconnect()
{
    if (pending != nullptr) {
        std::string whyNot;
        jack_client_t* late = finishOpening(&whyNot);
        if (late == nullptr) {
            return whyNot != stalledOpening;
        }
        current = new JackSession(late);
    }
    if (current == nullptr) {
        return true;
    }
    if (current->lost_.load() == Loss::stalled) {
        return false;
    }
    const QuietLibraries quiet;
    const bool closed =
        runBounded([client = current->client_] { jack_client_close(client); }, requestDeadline);
    if (closed) {
        delete current;
        current = nullptr;
    }
    return closed;
}

// Cycles run only once an output needs them; listing ports does not.
bool JackSession::activate()
{
    if (active_) {
        return true;
    }
    auto activated = std::make_shared<std::atomic<bool>>(false);
    active_ = request([activated](jack_client_t* client) {
                  activated->store(jack_activate(client) == 0);
              }) &&
              activated->load();
    return active_;
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
    if (!activate()) {
        return cannotOpen + (lost() ? lostReason() : "JACK would not run this program's client.");
    }
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
        request(
            [made = port->load()](jack_client_t* client) { jack_port_unregister(client, made); });
        return "The port \"" + target + "\" is gone.";
    }
    return port->load();
}

// With no output left the client stops taking part in cycles, so that it costs nothing idle.
void JackSession::closeMidiOutput(jack_port_t* port)
{
    request([port](jack_client_t* client) { jack_port_unregister(client, port); });
    const bool idle =
        std::all_of(work_.begin(), work_.end(),
                    [](const std::atomic<JackCycleWork*>& slot) { return !slot.load(); });
    if (active_ && idle) {
        request([](jack_client_t* client) { jack_deactivate(client); });
        active_ = false;
    }
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
