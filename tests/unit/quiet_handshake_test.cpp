// An output's stream rests after a silence and wakes on the next message; a message never waits
// behind a rest that began after it, in any order of the two threads' steps.
#include "platform/synth/quiet_handshake.h"

#include <gtest/gtest.h>

namespace {

using midiout::QuietHandshake;

// The loop thread counts the messages, renders silence, then asks to rest; a message sent in
// between keeps the stream awake, and the sender need not wake it.
TEST(QuietHandshake, AMessageDuringTheSilentRenderKeepsTheStreamAwake)
{
    QuietHandshake quiet;
    const auto before = quiet.messages();
    EXPECT_FALSE(quiet.messageSent());
    EXPECT_FALSE(quiet.rest(before));
    EXPECT_FALSE(quiet.resting());
    // The next silent render includes the message, and may rest.
    EXPECT_TRUE(quiet.rest(quiet.messages()));
}

// A message after the rest finds the stream resting and wakes it exactly once, however many
// messages follow before the sender holds the loop's lock.
TEST(QuietHandshake, AMessageAfterTheRestWakesTheStreamOnce)
{
    QuietHandshake quiet;
    EXPECT_FALSE(quiet.messageSent());
    ASSERT_TRUE(quiet.rest(quiet.messages()));
    EXPECT_TRUE(quiet.resting());
    EXPECT_FALSE(quiet.rest(quiet.messages())) << "a resting stream rests once";

    EXPECT_TRUE(quiet.messageSent());
    EXPECT_TRUE(quiet.messageSent());
    EXPECT_TRUE(quiet.wake());
    EXPECT_FALSE(quiet.wake());
    EXPECT_FALSE(quiet.resting());
    EXPECT_FALSE(quiet.messageSent());
    EXPECT_EQ(quiet.messages(), 4u);
}

}  // namespace
