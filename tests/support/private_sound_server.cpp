// A PulseAudio server or PipeWire graph of a test's own, run by tests/tools/sound_server.sh.
#include "support/private_sound_server.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "support/command.h"

namespace testsupport {
namespace {

constexpr const char* tool = SOUND_SERVER_TOOL;
// The tool waits 10 s at most for a daemon to answer.
constexpr std::chrono::seconds toolDeadline{15};

std::string makeFolder()
{
    std::string folder = std::filesystem::temp_directory_path() / "vorlik-sound-server.XXXXXX";
    return mkdtemp(folder.data()) != nullptr ? folder : std::string();
}

// The tool's NAME=value lines.
Environment clientEnvironment(const std::string& folder, const std::string& server)
{
    Environment environment;
    std::istringstream lines(run({tool, folder, "environment", server}, toolDeadline).output);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) {
            environment.emplace_back(line.substr(0, equals), line.substr(equals + 1));
        }
    }
    return environment;
}

}  // namespace

std::unique_ptr<PrivateSoundServer> PrivateSoundServer::pulseAudio()
{
    std::vector<Daemon> daemons;
    daemons.push_back({"pulseaudio", true, true});
    return std::unique_ptr<PrivateSoundServer>(
        new PrivateSoundServer("pulseaudio", std::move(daemons)));
}

std::unique_ptr<PrivateSoundServer> PrivateSoundServer::pipeWireGraph()
{
    std::vector<Daemon> daemons;
    daemons.push_back({"dbus-daemon", true, false});
    daemons.push_back({"pipewire", true, true});
    daemons.push_back({"wireplumber", false, true});
    daemons.push_back({"pipewire-pulse", true, true});
    return std::unique_ptr<PrivateSoundServer>(
        new PrivateSoundServer("pipewire", std::move(daemons)));
}

std::unique_ptr<PrivateSoundServer> PrivateSoundServer::pipeWirePulseService()
{
    std::unique_ptr<PrivateSoundServer> graph = pipeWireGraph();
    for (Daemon& daemon : graph->daemons_) {
        daemon.restarted = daemon.name == "pipewire-pulse";
    }
    return graph;
}

PrivateSoundServer::PrivateSoundServer(const std::string& server, std::vector<Daemon> daemons)
    : folder_(makeFolder()),
      environment_(clientEnvironment(folder_, server)),
      daemons_(std::move(daemons))
{
}

PrivateSoundServer::~PrivateSoundServer()
{
    for (auto daemon = daemons_.rbegin(); daemon != daemons_.rend(); ++daemon) {
        daemon->process->stop();
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

bool PrivateSoundServer::start()
{
    if (folder_.empty() || environment_.empty()) {
        return false;
    }
    for (Daemon& daemon : daemons_) {
        if (!daemon.process->running() && !startDaemon(daemon)) {
            return false;
        }
    }
    return true;
}

bool PrivateSoundServer::startDaemon(Daemon& daemon)
{
    if (!daemon.process->start({tool, folder_, "run", daemon.name}, logPath(daemon))) {
        showDaemons(daemon, "");
        return false;
    }
    if (!daemon.awaited) {
        return true;
    }
    const CommandResult ready = run({tool, folder_, "ready", daemon.name}, toolDeadline);
    if (ready.status != 0) {
        showDaemons(daemon, ready.output);
    }
    return ready.status == 0;
}

std::string PrivateSoundServer::logPath(const Daemon& daemon) const
{
    return folder_ + "/" + daemon.name + ".log";
}

// Why the daemon is not ready, which daemons run, and what each logged.
void PrivateSoundServer::showDaemons(const Daemon& failed, const std::string& why) const
{
    std::cerr << failed.name << " did not start\n" << why;
    for (const Daemon& daemon : daemons_) {
        std::ifstream log(logPath(daemon));
        const std::string text{std::istreambuf_iterator<char>(log), {}};
        std::cerr << daemon.name << (daemon.process->running() ? " runs" : " does not run")
                  << "; its log:\n"
                  << text << "\n";
    }
    std::cerr << std::flush;
}

void PrivateSoundServer::kill()
{
    for (Daemon& daemon : daemons_) {
        if (daemon.restarted) {
            daemon.process->kill();
        }
    }
}

}  // namespace testsupport
