// Calls that may wait on a server for ever, waited for at most a deadline.
#include "platform/servers/bounded_call.h"

#include <memory>
#include <thread>
#include <utility>

namespace midiout {
namespace {

// Work run bounded that overran and is not done yet.
std::atomic<int> overrunWork{0};

}  // namespace

BoundedCall::BoundedCall(std::function<void()> run, std::atomic<int>& overdueCalls,
                         std::function<void()> ifOverdue, bool skipIfOverdue)
    : run_(std::move(run)),
      ifOverdue_(std::move(ifOverdue)),
      skipIfOverdue_(skipIfOverdue),
      overdueCalls_(overdueCalls)
{
}

bool BoundedCall::finishedWithin(std::chrono::milliseconds deadline)
{
    std::unique_lock lock(mutex_);
    if (overdue_) {
        return done_;
    }
    if (finished_.wait_for(lock, deadline, [this] { return done_; })) {
        return true;
    }
    overdue_ = true;
    overdueCalls_.fetch_add(1);
    return false;
}

void BoundedCall::execute()
{
    const bool ran = !skipped();
    if (ran) {
        run_();
    }
    std::unique_lock lock(mutex_);
    done_ = true;
    const bool overdue = overdue_;
    lock.unlock();
    finished_.notify_all();
    if (overdue) {
        if (ran && ifOverdue_) {
            ifOverdue_();
        }
        overdueCalls_.fetch_sub(1);
    }
}

bool BoundedCall::skipped()
{
    const std::lock_guard lock(mutex_);
    return skipIfOverdue_ && overdue_;
}

bool runBounded(std::function<void()> work, std::chrono::milliseconds deadline)
{
    auto call = std::make_shared<BoundedCall>(std::move(work), overrunWork);
    std::thread worker([call] { call->execute(); });
    if (call->finishedWithin(deadline)) {
        worker.join();
        return true;
    }
    worker.detach();
    return false;
}

bool boundedWorkOverran()
{
    return overrunWork.load() > 0;
}

}  // namespace midiout
