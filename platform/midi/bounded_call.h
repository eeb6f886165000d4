// Running a call that may wait on another process for ever, such as a request to a stalled
// server, without letting it hold the caller up for longer than a deadline.
#pragma once

#include <chrono>
#include <functional>

namespace midiout {

// Runs `work` on a thread of its own and waits for it at most `deadline`. True when it finished
// in time. Work that overruns goes on by itself, so it must own everything it touches.
bool runBounded(std::function<void()> work, std::chrono::milliseconds deadline);

// Whether some work overran its deadline and may still be running inside a library; the
// libraries' own teardown at exit must then be skipped.
bool boundedWorkOverran();

}  // namespace midiout
