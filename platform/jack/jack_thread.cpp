// The one thread that makes every JACK call that waits for the server, in the order asked. Being
// one, a client's close always comes before the next client's open (libjack frees every client
// of a dead server when the next one opens), and a stalled server holds up one thread, not one
// per request.
#include "platform/jack/jack_thread.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace midiout::jackthread {

class Queue {
public:
    static Queue& instance()
    {
        // Never destroyed: at exit the thread may still be inside a call to a stalled server.
        static Queue* queue = new Queue;
        return *queue;
    }

    std::shared_ptr<BoundedCall> post(std::function<void()> run, std::function<void()> ifOverdue,
                                      bool skipIfOverdue)
    {
        auto call = std::make_shared<BoundedCall>(std::move(run), overdue_, std::move(ifOverdue),
                                                  skipIfOverdue);
        {
            const std::lock_guard lock(mutex_);
            calls_.push_back(call);
        }
        queued_.notify_one();
        return call;
    }

    void postAt(std::chrono::steady_clock::time_point due, std::function<void()> run)
    {
        auto call = std::make_shared<BoundedCall>(std::move(run), overdue_);
        {
            const std::lock_guard lock(mutex_);
            timed_.emplace(due, std::move(call));
        }
        queued_.notify_one();
    }

    bool stalled() const { return overdue_.load() > 0; }

private:
    Queue()
    {
        std::thread([this] { serve(); }).detach();
    }

    [[noreturn]] void serve()
    {
        for (;;) {
            std::shared_ptr<BoundedCall> call;
            {
                std::unique_lock lock(mutex_);
                waitForCall(lock);
                call = std::move(calls_.front());
                calls_.pop_front();
            }
            call->execute();
        }
    }

    // Under the lock: until a call is queued, timed calls joining the queue once they are due.
    void waitForCall(std::unique_lock<std::mutex>& lock)
    {
        for (;;) {
            const auto now = std::chrono::steady_clock::now();
            while (!timed_.empty() && timed_.begin()->first <= now) {
                calls_.push_back(std::move(timed_.begin()->second));
                timed_.erase(timed_.begin());
            }
            if (!calls_.empty()) {
                return;
            }
            if (timed_.empty()) {
                queued_.wait(lock);
            } else {
                queued_.wait_until(lock, timed_.begin()->first);
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<std::shared_ptr<BoundedCall>> calls_;
    std::multimap<std::chrono::steady_clock::time_point, std::shared_ptr<BoundedCall>> timed_;
    std::atomic<int> overdue_{0};
};

std::shared_ptr<BoundedCall> post(std::function<void()> call)
{
    return Queue::instance().post(std::move(call), {}, false);
}

void postAfter(std::chrono::milliseconds delay, std::function<void()> call)
{
    Queue::instance().postAt(std::chrono::steady_clock::now() + delay, std::move(call));
}

bool run(std::function<void()> call, std::chrono::milliseconds deadline,
         std::function<void()> ifOverdue)
{
    return Queue::instance()
        .post(std::move(call), std::move(ifOverdue), true)
        ->finishedWithin(deadline);
}

bool stalled()
{
    return Queue::instance().stalled();
}

}  // namespace midiout::jackthread
