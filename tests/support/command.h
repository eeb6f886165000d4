// Running other programs from tests: each under timeout(1), so that a hung one cannot hang a test.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

constexpr std::chrono::seconds killGrace{2};  // after timeout's TERM, before its KILL

struct CommandResult {
    int status = -1;  // exit status; 124 when timeout stopped the command
    std::string output;
};

// A command started under timeout(1), which passes a TERM on to the command.
struct RunningCommand {
    pid_t pid = 0;    // of timeout
    int output = -1;  // read end of a pipe carrying its standard output and error
};

// Starts args[0], found on PATH, with its standard output and error going to outputFd; the
// environment is this process's.
std::optional<pid_t> spawn(const std::vector<std::string>& args, int outputFd);
// The exit status, or -1 when the process did not exit normally.
int waitForStatus(pid_t pid);

std::optional<RunningCommand> start(const std::vector<std::string>& command,
                                    std::chrono::seconds deadline);
// True once the command has ended; it is left to be reaped by finish().
bool ended(pid_t pid);
// Reads all it prints, then waits for it to end.
CommandResult finish(const RunningCommand& command);
CommandResult run(const std::vector<std::string>& command, std::chrono::seconds deadline);

}  // namespace testsupport
