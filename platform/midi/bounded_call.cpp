// Running a call that may wait on another process for ever without holding the caller up.
#include "platform/midi/bounded_call.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace midiout {
namespace {

std::atomic<bool> overran{false};

struct Completion {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
};

}  // namespace

bool runBounded(std::function<void()> work, std::chrono::milliseconds deadline)
{
    auto completion = std::make_shared<Completion>();
    std::thread worker([completion, work = std::move(work)] {
        work();
        const std::lock_guard lock(completion->mutex);
        completion->done = true;
        completion->finished.notify_all();
    });
    std::unique_lock lock(completion->mutex);
    if (completion->finished.wait_for(lock, deadline, [&] { return completion->done; })) {
        lock.unlock();
        worker.join();
        return true;
    }
    overran.store(true);
    worker.detach();
    return false;
}

bool boundedWorkOverran()
{
    return overran.load();
}

}  // namespace midiout
