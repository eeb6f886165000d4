// Running other programs from tests: each under timeout(1), so that a hung one cannot hang a test.
#include "support/command.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace testsupport {
namespace {

// Pointers to the strings, for exec-style calls, ending in a null pointer.
std::vector<char*> nullTerminated(const std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (const std::string& text : strings) {
        pointers.push_back(const_cast<char*>(text.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

std::string readAll(int fd)
{
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count > 0) {
            text.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0 || errno != EINTR) {
            return text;
        }
    }
}

}  // namespace

std::optional<pid_t> spawn(const std::vector<std::string>& args, int outputFd)
{
    std::vector<char*> argv = nullTerminated(args);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outputFd, STDERR_FILENO);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? std::optional(pid) : std::nullopt;
}

int waitForStatus(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::optional<RunningCommand> start(const std::vector<std::string>& command,
                                    std::chrono::seconds deadline)
{
    std::vector<std::string> args = {"timeout", "--kill-after=" + std::to_string(killGrace.count()),
                                     std::to_string(deadline.count())};
    args.insert(args.end(), command.begin(), command.end());
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    const std::optional<pid_t> pid = spawn(args, pipeFds[1]);
    close(pipeFds[1]);
    if (!pid) {
        close(pipeFds[0]);
        return std::nullopt;
    }
    return RunningCommand{*pid, pipeFds[0]};
}

bool ended(pid_t pid)
{
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == pid;
}

CommandResult finish(const RunningCommand& command)
{
    CommandResult result;
    result.output = readAll(command.output);
    close(command.output);
    result.status = waitForStatus(command.pid);
    return result;
}

CommandResult run(const std::vector<std::string>& command, std::chrono::seconds deadline)
{
    const std::optional<RunningCommand> running = start(command, deadline);
    return running ? finish(*running) : CommandResult{-1, "cannot start " + command.front()};
}

}  // namespace testsupport
