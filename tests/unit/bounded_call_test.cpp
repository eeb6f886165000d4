// Work run on a thread of its own and waited for at most a deadline: the caller is let go at the
// deadline, and the work counts as overrun only until it is done.
#include "platform/servers/bounded_call.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "support/wait_until.h"

namespace midiout {
namespace {

using namespace std::chrono_literals;

TEST(RunBounded, LetsTheCallerGoAtTheDeadlineAndCountsTheWorkOverrunUntilItEnds)
{
    EXPECT_TRUE(runBounded([] {}, 5s));
    EXPECT_FALSE(boundedWorkOverran());

    std::promise<void> release;
    std::promise<void> ended;
    EXPECT_FALSE(runBounded(
        [held = release.get_future().share(), &ended] {
            held.wait();
            ended.set_value();
        },
        50ms));
    EXPECT_TRUE(boundedWorkOverran()) << "the work is still inside its call";

    release.set_value();
    ended.get_future().wait();
    EXPECT_TRUE(testsupport::waitUntil([] { return !boundedWorkOverran(); }, 5s))
        << "the work ended but still counts as overrun";
}

}  // namespace
}  // namespace midiout
