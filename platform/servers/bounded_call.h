// Calls that may wait on a server for ever, such as a request to a stalled one, handed to
// another thread so that their caller waits for them at most a deadline.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace midiout {

// One call, carried out by another thread. A call its caller gave up waiting for is overdue: it
// still runs (unless it was to be skipped and has not begun), cleans up after itself once done,
// and is counted in its counter of overdue calls until then.
class BoundedCall {
public:
    // ifOverdue: runs right after the call when its caller gave up on it, so that nothing the
    // call made is left behind. skipIfOverdue: a call given up before it began never runs.
    BoundedCall(std::function<void()> run, std::atomic<int>& overdueCalls,
                std::function<void()> ifOverdue = {}, bool skipIfOverdue = false);

    // The caller: true once the call has run, waiting at most `deadline`. An overdue call is not
    // waited for again.
    bool finishedWithin(std::chrono::milliseconds deadline);

    // The thread that carries the call out.
    void execute();

private:
    bool skipped();

    const std::function<void()> run_;
    const std::function<void()> ifOverdue_;
    const bool skipIfOverdue_;
    std::atomic<int>& overdueCalls_;
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    bool overdue_ = false;
};

// Runs `work` on a thread of its own and waits for it at most `deadline`; true when it finished
// in time. Work that overruns goes on by itself, so it must own everything it touches.
bool runBounded(std::function<void()> work, std::chrono::milliseconds deadline);

// Whether work run bounded overran its deadline and may still be running inside a library; the
// libraries' own teardown at exit must then be skipped.
bool boundedWorkOverran();

}  // namespace midiout
