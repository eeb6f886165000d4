// The one thread that makes every JACK call that waits for the server, in the order asked.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace midiout::jackthread {

// A call queued on the JACK thread. Waiting for it is bounded; a call that keeps its waiter past
// the deadline is overdue, and the server counts as stalled until the call comes back.
class Call {
public:
    // True once the call has run, waiting at most `deadline` for it. An overdue call is not
    // waited for again.
    bool finishedWithin(std::chrono::milliseconds deadline);

private:
    friend class Queue;
    std::mutex mutex_;
    std::condition_variable finished_;
    std::function<void()> run_;
    std::function<void()> ifOverdue_;
    bool skipIfOverdue_ = false;
    bool done_ = false;
    bool overdue_ = false;
};

// Queues `call` and returns at once.
std::shared_ptr<Call> post(std::function<void()> call);

// Queues `call` once `delay` has passed, behind what is queued by then; returns at once.
void postAfter(std::chrono::milliseconds delay, std::function<void()> call);

// Runs `call` and waits for it at most `deadline`; true when it finished in time. When it does
// not, `ifOverdue` runs right after it once the server lets it finish, so that nothing the call
// made is left behind; a call still queued behind another when its waiter gives up never runs.
bool run(std::function<void()> call, std::chrono::milliseconds deadline,
         std::function<void()> ifOverdue = {});

// Whether some call kept its waiter past the deadline and has not come back yet.
bool stalled();

}  // namespace midiout::jackthread
