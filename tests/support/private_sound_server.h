// A PulseAudio server or PipeWire graph of a test's own, run by tests/tools/sound_server.sh with
// everything it keeps in a temporary folder: the same socket on every start.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/restartable_server.h"
#include "support/server_process.h"

namespace testsupport {

class PrivateSoundServer final : public RestartableServer {
public:
    // A PulseAudio server with a null sink; a restart replaces it.
    static std::unique_ptr<PrivateSoundServer> pulseAudio();
    // A PipeWire graph with a null sink, wireplumber and pipewire-pulse on a D-Bus session of its
    // own; a restart replaces pipewire, wireplumber and pipewire-pulse, as restarting the user's
    // services does.
    static std::unique_ptr<PrivateSoundServer> pipeWireGraph();
    // The same graph, where a restart replaces pipewire-pulse alone.
    static std::unique_ptr<PrivateSoundServer> pipeWirePulseService();

    ~PrivateSoundServer() override;
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    bool start() override;
    void kill() override;
    Environment environment() const override { return environment_; }

private:
    struct Daemon {
        std::string name;  // as sound_server.sh knows it
        bool awaited;      // start() waits until it answers before starting the next
        bool restarted;    // kill() kills it
        std::unique_ptr<ServerProcess> process = std::make_unique<ServerProcess>();
    };

    // server: "pulseaudio" or "pipewire"; the daemons in the order they start.
    PrivateSoundServer(const std::string& server, std::vector<Daemon> daemons);
    bool startDaemon(Daemon& daemon);
    std::string logPath(const Daemon& daemon) const;
    void showDaemons(const Daemon& failed, const std::string& why) const;

    std::string folder_;
    Environment environment_;
    std::vector<Daemon> daemons_;
};

}  // namespace testsupport
