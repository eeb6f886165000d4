// The one thread that makes every JACK call that waits for the server, in the order asked.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "platform/servers/bounded_call.h"

namespace midiout::jackthread {

// Queues `call` and returns at once.
std::shared_ptr<BoundedCall> post(std::function<void()> call);

// Queues `call` once `delay` has passed, behind what is queued by then; returns at once.
void postAfter(std::chrono::milliseconds delay, std::function<void()> call);

// Runs `call` and waits for it at most `deadline`; true when it finished in time. When it does
// not, `ifOverdue` runs right after it once the server lets it finish, so that nothing the call
// made is left behind; a call still queued behind another when its waiter gives up never runs.
bool run(std::function<void()> call, std::chrono::milliseconds deadline,
         std::function<void()> ifOverdue = {});

// Whether some call kept its waiter past the deadline and has not come back yet: the server
// counts as stalled meanwhile.
bool stalled();

}  // namespace midiout::jackthread
