// The steps of the five note runs and the program draws of the test sequence.
#pragma once

#include "platform/toolkit/random_source.h"

enum class NoteRun { fast, slow, random1, random2, random3 };

// One step of a run: the pause (delay units) before its note, and the note.
struct RunStep {
    int pause;
    int note;
};

// Step i (0 to 100) of the run; draws from the random source in the order the run makes them:
// "Random 3" takes its note draw before its pause draw.
RunStep runStep(NoteRun run, int i, toolkit::RandomSource& random);

// r x 128 + 1, formed in double precision and kept in single precision with its fraction.
float unroundedProgramDraw(toolkit::RandomSource& random);
// r x 128 + 1 rounded half to even: 1 to 129.
int roundedProgramDraw(toolkit::RandomSource& random);

// The program a test draw is played with: a draw that rounds to 128 or 129 becomes 127, for
// no program above 127 exists; one that rounds to 127 or less is played as it is.
double playableProgram(double draw);
