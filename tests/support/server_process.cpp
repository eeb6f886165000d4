// One server daemon a test starts, kills as a crash would, and starts again.
#include "support/server_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "support/command.h"
#include "support/wait_until.h"

namespace testsupport {
namespace {

constexpr std::chrono::seconds lifetime{600};  // bounds a daemon that a crashed test leaves
constexpr std::chrono::seconds stopDeadline{5};

// The pid of the command that timeout(1), running as `wrapper`, started; 0 before it has.
pid_t childOf(pid_t wrapper)
{
    std::ifstream children("/proc/" + std::to_string(wrapper) + "/task/" + std::to_string(wrapper) +
                           "/children");
    pid_t child = 0;
    children >> child;
    return child;
}

}  // namespace

bool ServerProcess::start(const std::vector<std::string>& command, const std::string& logPath)
{
    stop();
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log < 0) {
        return false;
    }
    std::vector<std::string> args = {"timeout", std::to_string(lifetime.count())};
    args.insert(args.end(), command.begin(), command.end());
    const std::optional<pid_t> wrapper = spawn(args, log);
    close(log);
    wrapper_ = wrapper.value_or(0);
    return wrapper_ > 0 && waitUntil([&] { return pid() > 0 || !running(); }, stopDeadline) &&
           running();
}

bool ServerProcess::running()
{
    if (wrapper_ > 0 && waitpid(wrapper_, nullptr, WNOHANG) == wrapper_) {
        forget();
    }
    return wrapper_ > 0;
}

pid_t ServerProcess::pid()
{
    if (daemon_ == 0 && running()) {
        daemon_ = childOf(wrapper_);
    }
    return daemon_;
}

void ServerProcess::signal(int number)
{
    if (pid() > 0) {
        ::kill(daemon_, number);
    }
}

// timeout(1) reaps the daemon and ends as the daemon ends.
void ServerProcess::kill()
{
    if (!running()) {
        return;
    }
    signal(SIGKILL);
    if (!waitUntil([&] { return !running(); }, stopDeadline)) {
        ::kill(wrapper_, SIGKILL);
        waitpid(wrapper_, nullptr, 0);
        forget();
    }
}

void ServerProcess::stop()
{
    if (!running()) {
        return;
    }
    signal(SIGCONT);
    signal(SIGTERM);
    if (!waitUntil([&] { return !running(); }, stopDeadline)) {
        kill();
    }
}

void ServerProcess::forget()
{
    wrapper_ = 0;
    daemon_ = 0;
}

}  // namespace testsupport
