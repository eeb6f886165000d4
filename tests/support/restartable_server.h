// A sound server of a test's own, which the test can kill as a crash would and start again on the
// same socket or under the same name, without disturbing any other test.
#pragma once

#include "support/environment.h"

namespace testsupport {

class RestartableServer {
public:
    virtual ~RestartableServer() = default;

    // Starts what of the server does not run, and returns once it answers; false when it does not
    // in time.
    virtual bool start() = 0;
    // Kills, as a crash would, the daemons a restart replaces; their clients see the connection go.
    virtual void kill() = 0;
    // What points clients at the server; VORLIK_SINK_MONITOR names its null sink's monitor, when
    // it has one.
    virtual Environment environment() const = 0;
};

}  // namespace testsupport
