// A dummy-driver JACK server of a test's own.
#include "support/jack_server.h"

#include <signal.h>

#include <filesystem>

#include "support/command.h"
#include "support/wait_until.h"

namespace testsupport {
namespace {

constexpr std::chrono::seconds startDeadline{30};
constexpr std::chrono::seconds commandDeadline{10};

}  // namespace

JackServer::JackServer(std::string name, std::string logPath)
    : name_(std::move(name)), logPath_(std::move(logPath))
{
}

// jackd removes a client that died only once it sees its socket close; asked to stop before that,
// it has stopped its driver already and waits 5 s for the removal, past the stop's deadline. A
// request it answers comes after the sockets that closed before it.
void JackServer::stop()
{
    if (jackd_.running()) {
        resume();
        run({"jack_lsp", "-s", name_}, commandDeadline);
    }
    jackd_.stop();
    removeLeftovers();
}

bool JackServer::start()
{
    if (jackd_.running()) {
        return true;
    }
    return jackd_.start({"jackd", "--no-realtime", "--port-max", "16", "-n", name_, "-d", "dummy",
                         "-r", "48000", "-p", "256"},
                        logPath_) &&
           waitUntil(
               [&] {
                   return !jackd_.running() ||
                          run({"jack_lsp", "-s", name_}, commandDeadline).status == 0;
               },
               startDeadline) &&
           jackd_.running();
}

void JackServer::kill()
{
    jackd_.kill();
    removeLeftovers();
}

Environment JackServer::environment() const
{
    return {{"JACK_DEFAULT_SERVER", name_}};
}

void JackServer::stall()
{
    jackd_.signal(SIGSTOP);
}

void JackServer::resume()
{
    jackd_.signal(SIGCONT);
}

// A killed server leaves its semaphores and socket in /dev/shm, named after it.
void JackServer::removeLeftovers() const
{
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ignored)) {
        const std::string name = entry.path().filename();
        if (name.starts_with("jack_sem.0_" + name_ + "_") ||
            name.starts_with("jack_" + name_ + "_")) {
            std::filesystem::remove(entry.path(), ignored);
        }
    }
}

}  // namespace testsupport
