// The program's channel-1 player and "Fast" run, clicked on the main window, send exactly their
// messages to a JACK capture port, the player's at its tempo bar's spacing.
#include <cstdint>
#include <thread>

#include "e2e_support.h"
#include "support/statistics.h"

namespace {

using namespace e2e;

// The player's "Play Channel 1" (72, 16, 73, 33) in Frame4 at (432, 104), px.
constexpr Point playChannel1{432 + 108, 104 + 32};
constexpr Point fast{48, 328};  // "Fast" (8, 312, 81, 33)

// Each tick: note-on 0 at velocity 64 on channel 1, then program 0 on channel 0, with the note,
// patch and tempo bars untouched.
constexpr const char* tickNoteOn = "91 00 40";
constexpr const char* tickProgram = "C0 00";

constexpr std::chrono::milliseconds playTime{1000};
constexpr std::size_t fewestTicks = 10;  // ~33 are due in playTime; fewer means a stalled timer

// Spacing of the note-ons at the capture, µs. The tempo bar's 30 ms is the target; the bounds
// are loose because a busy machine or the sanitizer build delays single ticks, and a JACK server
// short of CPU (the test server has no real-time scheduling) delivers the ticks it fell behind
// on together in its next cycle, so a few gaps can be near 0 or hundreds of ms with no fault in
// the program. A wrong tempo, a doubled timer or a regular hiccup still moves the median or the
// inner percentiles far beyond them.
constexpr double tempo = 30'000;
constexpr double medianTolerance = 3'000;
constexpr double shortestGap = 15'000;
constexpr double longestGap = 100'000;
constexpr double outlierPercent = 10;  // of the gaps at each end, left out of the bounds

// No tick may arrive in this long once the player is stopped; ticks due every 30 ms could not.
constexpr std::chrono::milliseconds quietSpell{200};

// "91 00 40" to "91 64 40": note-ons 0 to 100 on channel 1 at the volume bar's 64.
std::vector<std::string> fastRun()
{
    constexpr int lastNote = 100;
    constexpr std::uint8_t velocity = 0x40;
    std::vector<std::string> messages;
    for (int note = 0; note <= lastNote; ++note) {
        messages.push_back(hexText({0x91, static_cast<std::uint8_t>(note), velocity}));
    }
    return messages;
}

// Which received messages break the strict alternation of tick note-on and program change.
testing::AssertionResult onlyWholeTicks(const std::vector<std::string>& events)
{
    if (events.size() % 2 != 0) {
        return testing::AssertionFailure() << events.size() << " messages, not whole ticks";
    }
    for (std::size_t i = 0; i < events.size(); ++i) {
        const char* expected = i % 2 == 0 ? tickNoteOn : tickProgram;
        if (events[i] != expected) {
            return testing::AssertionFailure()
                   << "message " << i << " is " << events[i] << ", expected " << expected;
        }
    }
    return testing::AssertionSuccess();
}

// Gaps between consecutive tick note-ons at the capture, µs.
std::vector<double> noteOnGaps(const std::vector<testsupport::CapturedEvent>& events)
{
    std::vector<double> gaps;
    for (std::size_t i = 2; i < events.size(); i += 2) {
        gaps.push_back(static_cast<double>(events[i].microseconds - events[i - 2].microseconds));
    }
    return gaps;
}

// True once no message has arrived for a whole quiet spell; false when messages keep coming.
bool fallsQuiet(testsupport::JackCapture& capture)
{
    std::size_t count = capture.events().size();
    auto quietSince = Clock::now();
    return waitUntil(
        [&] {
            const std::size_t now = capture.events().size();
            if (now != count) {
                count = now;
                quietSince = Clock::now();
            }
            return Clock::now() - quietSince >= quietSpell;
        },
        effectDeadline);
}

class PlayerAndRunsEndToEnd : public ProgramTest {};

TEST_F(PlayerAndRunsEndToEnd, PlayerSendsANoteAndAProgramEveryThirtyMillisecondsUntilStopped)
{
    const std::string window = startAtCaptureDevice();
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(received(*capture_).empty()) << "opening the device sent messages";

    click(window, playChannel1);
    std::this_thread::sleep_for(playTime);
    click(window, playChannel1);
    ASSERT_TRUE(fallsQuiet(*capture_)) << "the player still ticks after its second click";

    const std::vector<testsupport::CapturedEvent> events = capture_->events();
    ASSERT_TRUE(onlyWholeTicks(received(*capture_)));
    ASSERT_GE(events.size() / 2, fewestTicks);
    std::this_thread::sleep_for(quietSpell);
    EXPECT_EQ(capture_->events().size(), events.size()) << "a tick arrived after the stop";
    EXPECT_EQ(capture_->droppedEvents(), 0U);

    if (xruns() > 0) {
        GTEST_SKIP() << "the spacing is not judged: JACK had " << xruns() << " xruns";
    }
    const std::vector<double> gaps = noteOnGaps(events);
    const std::string allGaps = "gaps, µs: " + testing::PrintToString(gaps);
    EXPECT_NEAR(bench::median(gaps), tempo, medianTolerance) << allGaps;
    EXPECT_GE(bench::percentile(gaps, outlierPercent), shortestGap) << allGaps;
    EXPECT_LE(bench::percentile(gaps, 100 - outlierPercent), longestGap) << allGaps;
}

TEST_F(PlayerAndRunsEndToEnd, FastSendsNoteOnsZeroToOneHundredAtTheVolumeBarsVelocity)
{
    const std::string window = startAtCaptureDevice();
    ASSERT_FALSE(window.empty());

    click(window, fast);
    const testing::AssertionResult result = receivedExactly(fastRun());
    if (!result && xruns() > 0) {
        GTEST_SKIP() << "JACK had " << xruns()
                     << " xruns, in which a cycle's messages can be lost: " << result.message();
    }
    EXPECT_TRUE(result);
    EXPECT_EQ(capture_->droppedEvents(), 0U);
}

}  // namespace
