// The sound servers that device 0 is played on while they are killed and started again.
#include "support/restart_cases.h"

#include <cstdlib>

#include "support/jack_recording.h"
#include "support/jack_server.h"
#include "support/monitor_recording.h"
#include "support/private_sound_server.h"

namespace testsupport {
namespace {

std::unique_ptr<RestartableServer> jackServer()
{
    return std::make_unique<JackServer>("vorlik-restart-server", "/dev/null");
}

std::unique_ptr<RestartableServer> pulseAudio()
{
    return PrivateSoundServer::pulseAudio();
}

std::unique_ptr<RestartableServer> pipeWireGraph()
{
    return PrivateSoundServer::pipeWireGraph();
}

std::unique_ptr<RestartableServer> pipeWirePulseService()
{
    return PrivateSoundServer::pipeWirePulseService();
}

}  // namespace

std::vector<RestartCase> restartCases()
{
    return {{"PulseAudio", pulseAudio, "pulseaudio", "pulseaudio",
             "The PulseAudio server has stopped."},
            {"PipeWirePulse", pipeWireGraph, "pulseaudio", "pulseaudio",
             "The PulseAudio server has stopped."},
            {"PipeWirePulseServiceAlone", pipeWirePulseService, "pulseaudio", "pulseaudio",
             "The PulseAudio server has stopped."},
            {"PipeWireStream", pipeWireGraph, "", "pipewire", "The PipeWire daemon has stopped."},
            {"Jack", jackServer, "jack", "jack", "The JACK server has stopped."}};
}

void useAlone(const RestartableServer& server)
{
    setEnvironment({{"JACK_DEFAULT_SERVER", "vorlik-no-such-server"}, {"VORLIK_SINK_MONITOR", {}}});
    setEnvironment(server.environment());
}

std::unique_ptr<AudioRecording> recordDevice0()
{
    if (const char* monitor = std::getenv("VORLIK_SINK_MONITOR")) {
        return MonitorRecording::start(monitor);
    }
    return JackRecording::start("vorlik:synth-left");
}

}  // namespace testsupport
