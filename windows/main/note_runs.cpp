// The steps of the five note runs and the program draws of the test sequence.
#include "windows/main/note_runs.h"

#include <cmath>

namespace {

constexpr int highestProgram = 127;

// The integer part of r x scale + 1; r is single precision, the product double.
int draw(toolkit::RandomSource& random, int scale)
{
    return static_cast<int>(std::floor(static_cast<double>(random.next()) * scale + 1));
}

int noteDraw(toolkit::RandomSource& random)
{
    return draw(random, 100);
}

int pauseDraw(toolkit::RandomSource& random)
{
    return draw(random, 15);
}

double programDraw(toolkit::RandomSource& random)
{
    return static_cast<double>(random.next()) * 128 + 1;
}

}  // namespace

RunStep runStep(NoteRun run, int i, toolkit::RandomSource& random)
{
    switch (run) {
        case NoteRun::fast:
            return {1, i};
        case NoteRun::slow:
            return {10, i};
        case NoteRun::random1:
            return {2, noteDraw(random)};
        case NoteRun::random2:
            return {pauseDraw(random), i};
        case NoteRun::random3: {
            const int note = noteDraw(random);
            return {pauseDraw(random), note};
        }
    }
    return {0, i};
}

float unroundedProgramDraw(toolkit::RandomSource& random)
{
    return static_cast<float>(programDraw(random));
}

int roundedProgramDraw(toolkit::RandomSource& random)
{
    return static_cast<int>(std::nearbyint(programDraw(random)));
}

double playableProgram(double draw)
{
    return std::nearbyint(draw) > highestProgram ? highestProgram : draw;
}
