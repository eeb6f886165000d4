// The JACK thread: calls run in the order asked, a call that overruns its deadline is cleaned up
// after it comes back, and a call given up while still queued behind it never runs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "platform/jack/jack_thread.h"

namespace midiout {
namespace {

using namespace std::chrono_literals;

TEST(JackThread, RunsCallsInTheOrderAsked)
{
    std::vector<int> order;
    jackthread::post([&] { order.push_back(1); });
    jackthread::post([&] { order.push_back(2); });
    EXPECT_TRUE(jackthread::run([&] { order.push_back(3); }, 5s));
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

// A stalled server holds one call; its caller and the next give up, and once the server lets go
// the first cleans up after itself while the second never runs. What is posted runs regardless.
TEST(JackThread, AnOverdueCallIsCleanedUpAndOneGivenUpInTheQueueNeverRuns)
{
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> cleanedUp{false};
    std::atomic<bool> givenUpCallRan{false};

    EXPECT_FALSE(
        jackthread::run([released] { released.wait(); }, 20ms, [&] { cleanedUp.store(true); }));
    EXPECT_TRUE(jackthread::stalled());
    EXPECT_FALSE(jackthread::run([&] { givenUpCallRan.store(true); }, 10ms));
    std::atomic<bool> postedCallRan{false};
    const std::shared_ptr<BoundedCall> posted =
        jackthread::post([&] { postedCallRan.store(true); });
    EXPECT_FALSE(posted->finishedWithin(10ms));
    EXPECT_FALSE(cleanedUp.load());

    release.set_value();
    const auto giveUp = std::chrono::steady_clock::now() + 5s;
    while (jackthread::stalled() && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_FALSE(jackthread::stalled());
    EXPECT_TRUE(cleanedUp.load());
    EXPECT_FALSE(givenUpCallRan.load());
    EXPECT_TRUE(posted->finishedWithin(0ms));
    EXPECT_TRUE(postedCallRan.load());
}

// A retry waits its interval without holding up the calls asked for meanwhile.
TEST(JackThread, ATimedCallRunsOnceDueAndCallsAskedMeanwhileRunFirst)
{
    const auto start = std::chrono::steady_clock::now();
    std::promise<std::chrono::steady_clock::time_point> timedRan;
    std::vector<int> order;
    jackthread::postAfter(100ms, [&] {
        order.push_back(2);
        timedRan.set_value(std::chrono::steady_clock::now());
    });
    EXPECT_TRUE(jackthread::run([&] { order.push_back(1); }, 50ms));
    std::future<std::chrono::steady_clock::time_point> ran = timedRan.get_future();
    ASSERT_EQ(ran.wait_for(5s), std::future_status::ready);
    EXPECT_GE(ran.get() - start, 100ms);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

}  // namespace
}  // namespace midiout
