// The steps of the note runs and the test sequence's program draws.
#include <gtest/gtest.h>

#include <cmath>

#include "windows/main/note_runs.h"

namespace {

using toolkit::RandomSource;

TEST(RunStep, FixedRunsPlayTheirIndexWithAFixedPauseAndDrawNothing)
{
    RandomSource random;
    const RandomSource untouched = random;
    EXPECT_EQ(runStep(NoteRun::fast, 0, random).note, 0);
    EXPECT_EQ(runStep(NoteRun::fast, 100, random).pause, 1);
    EXPECT_EQ(runStep(NoteRun::slow, 37, random).note, 37);
    EXPECT_EQ(runStep(NoteRun::slow, 37, random).pause, 10);
    RandomSource copy = untouched;
    EXPECT_EQ(random.next(), copy.next()) << "fixed runs must not draw";
}

TEST(RunStep, Random3DrawsTheNoteBeforeThePause)
{
    RandomSource random;
    RandomSource expected = random;
    const float noteR = expected.next();
    const float pauseR = expected.next();
    const RunStep step = runStep(NoteRun::random3, 0, random);
    EXPECT_EQ(step.note, static_cast<int>(std::floor(static_cast<double>(noteR) * 100 + 1)));
    EXPECT_EQ(step.pause, static_cast<int>(std::floor(static_cast<double>(pauseR) * 15 + 1)));
    EXPECT_EQ(random.next(), expected.next());
}

TEST(RunStep, DrawsStayInTheirRangesAndReachBothEnds)
{
    RandomSource random;
    int lowestNote = 1000;
    int highestNote = -1;
    int lowestPause = 1000;
    int highestPause = -1;
    for (int draw = 0; draw < 20000; ++draw) {
        const RunStep notes = runStep(NoteRun::random1, 0, random);
        const RunStep pauses = runStep(NoteRun::random2, 5, random);
        lowestNote = std::min(lowestNote, notes.note);
        highestNote = std::max(highestNote, notes.note);
        lowestPause = std::min(lowestPause, pauses.pause);
        highestPause = std::max(highestPause, pauses.pause);
        ASSERT_EQ(notes.pause, 2);
        ASSERT_EQ(pauses.note, 5);
    }
    EXPECT_EQ(lowestNote, 1) << "Random 1 never plays note 0";
    EXPECT_EQ(highestNote, 100);
    EXPECT_EQ(lowestPause, 1);
    EXPECT_EQ(highestPause, 15);
}

TEST(ProgramDraws, KeepTheFractionOrRoundHalfToEven)
{
    RandomSource random;
    RandomSource expected = random;
    const double r1 = expected.next();
    const double r2 = expected.next();
    EXPECT_EQ(unroundedProgramDraw(random), static_cast<float>(r1 * 128 + 1));
    EXPECT_EQ(roundedProgramDraw(random), static_cast<int>(std::nearbyint(r2 * 128 + 1)));
}

TEST(PlayableProgram, TestNeverPassesAProgramAbove127)
{
    EXPECT_EQ(playableProgram(1), 1);
    EXPECT_EQ(playableProgram(64.75), 64.75);
    EXPECT_EQ(playableProgram(127.4), 127.4) << "rounds to 127: passed unchanged";
    EXPECT_EQ(playableProgram(127.5), 127) << "rounds to 128";
    EXPECT_EQ(playableProgram(128), 127);
    EXPECT_EQ(playableProgram(128.99), 127);
    EXPECT_EQ(playableProgram(129), 127);
}

}  // namespace
