// The rules every audio output follows while its sound server is away, on a fake clock and a fake
// server that refuses a given number of connections.
#include "platform/servers/reconnection.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using midiout::Reconnection;
using std::chrono::milliseconds;

constexpr const char* reason = "The server has stopped.";

// The output's loop: one timer, and a server that answers after refusing `refusals` times.
class FakeLoop final : public Reconnection::Connector {
public:
    explicit FakeLoop(int refusals) : refusals_(refusals) {}

    void armRetry(milliseconds delay) override { due_ = now_ + delay; }
    bool reconnect() override
    {
        attempts_.push_back(now_);
        return refusals_-- <= 0;
    }

    // Runs the loop until nothing is armed; the times of the connections tried.
    std::vector<milliseconds> runRetries(Reconnection& reconnection)
    {
        while (due_) {
            now_ = *std::exchange(due_, std::nullopt);
            reconnection.retry();
        }
        return attempts_;
    }

private:
    int refusals_;
    milliseconds now_{0};
    std::optional<milliseconds> due_;
    std::vector<milliseconds> attempts_;
};

// Lost at 0 ms, refused three times: tries at 250, 500, 750 and 1000 ms, silent for the reason
// until the stream plays, and what played meanwhile ends once, while the reason still holds.
TEST(Reconnection, RetriesEveryIntervalAndEndsWhatPlayedMeanwhileOncePerReturn)
{
    FakeLoop loop(3);
    std::vector<std::string> reasonsAtBack;
    Reconnection reconnection(loop, reason,
                              [&] { reasonsAtBack.push_back(reconnection.silenceReason()); });
    EXPECT_EQ(reconnection.silenceReason(), "");
    reconnection.playing();
    EXPECT_TRUE(reasonsAtBack.empty()) << "a stream that never went away does not come back";

    reconnection.lose();
    EXPECT_EQ(reconnection.silenceReason(), reason);
    EXPECT_EQ(loop.runRetries(reconnection),
              (std::vector<milliseconds>{milliseconds(250), milliseconds(500), milliseconds(750),
                                         milliseconds(1000)}));
    EXPECT_EQ(reconnection.silenceReason(), reason) << "connected is not yet playing";

    reconnection.playing();
    reconnection.playing();
    EXPECT_EQ(reasonsAtBack, std::vector<std::string>{reason});
    EXPECT_EQ(reconnection.silenceReason(), "");
    EXPECT_FALSE(reconnection.lost());
}

// Each loss is its own return, however often the server goes.
TEST(Reconnection, EveryLossEndsInItsOwnReturn)
{
    FakeLoop loop(0);
    int returns = 0;
    Reconnection reconnection(loop, reason, [&] { ++returns; });
    for (int loss = 1; loss <= 3; ++loss) {
        reconnection.lose();
        loop.runRetries(reconnection);
        reconnection.playing();
        EXPECT_EQ(returns, loss);
    }
}

}  // namespace
