// One server daemon a test starts, kills as a crash would, and starts again.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace testsupport {

// The daemon runs under timeout(1), which bounds what a crashed test leaves behind; the command
// must exec the daemon (no fork), so that timeout's child is the daemon itself.
class ServerProcess {
public:
    ServerProcess() = default;
    ~ServerProcess() { stop(); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts the command, its output going to the log file; false when it cannot start.
    bool start(const std::vector<std::string>& command, const std::string& logPath);
    // True until the daemon has ended, whatever ended it.
    bool running();
    // The daemon's pid; 0 when none runs.
    pid_t pid();
    // Signals the daemon; a pid of 0 would signal the whole process group, so none is sent then.
    void signal(int number);
    // Kills the daemon as a crash would, and returns once it is gone.
    void kill();
    // Asks the daemon to end, and kills it when it has not in time.
    void stop();

private:
    void forget();

    pid_t wrapper_ = 0;
    pid_t daemon_ = 0;
};

}  // namespace testsupport
