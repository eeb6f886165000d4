// A dummy-driver JACK server of a test's own, which the test can stall, resume, kill and start
// again. A killed server leaves its shared memory behind until the next server of its name
// starts; few ports keep that small.
#pragma once

#include <string>

#include "support/restartable_server.h"
#include "support/server_process.h"

namespace testsupport {

class JackServer final : public RestartableServer {
public:
    // One name for every run: the registry of servers frees a killed server's place only when a
    // server of the same name starts. The server's output goes to the log file.
    JackServer(std::string name, std::string logPath);
    ~JackServer() override { stop(); }
    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    bool start() override;
    void kill() override;
    Environment environment() const override;

    // Ends the server cleanly when it answers, so that the server registry frees its place.
    void stop();
    void stall();
    void resume();
    const std::string& name() const { return name_; }

private:
    void removeLeftovers() const;

    std::string name_;
    std::string logPath_;
    ServerProcess jackd_;
};

}  // namespace testsupport
