// The sound servers that device 0 is played on while they are killed and started again, for the
// end-to-end test and the benchmark of that: each with the audio output device 0 uses there.
#pragma once

#include <memory>
#include <ostream>
#include <vector>

#include "support/audio_recording.h"
#include "support/restartable_server.h"

namespace testsupport {

struct RestartCase {
    const char* name;
    std::unique_ptr<RestartableServer> (*makeServer)();
    const char* output;         // the audio output device 0 is started on; "" for its own choice
    const char* driver;         // the one it must then play through
    const char* silenceReason;  // device 0's while the server is gone
};

// PulseAudio; the PipeWire graph through pipewire-pulse, restarted whole or that service alone;
// device 0's own PipeWire stream, its choice when the graph answers (jackd's JACK library or
// PipeWire's loaded); jackd.
std::vector<RestartCase> restartCases();

// Points this process, and programs it started from now on, at the server alone: no JACK server
// but one of its own, no sink monitor but its own.
void useAlone(const RestartableServer& server);
// What device 0 plays on the server in use: its null sink's monitor when it has one, else device
// 0's left JACK port (only while device 0 is connected to the server: this process's next JACK
// client would free a client of a dead server); null when it cannot be recorded.
std::unique_ptr<AudioRecording> recordDevice0();

inline void PrintTo(const RestartCase& row, std::ostream* out)
{
    *out << row.name;
}

}  // namespace testsupport
