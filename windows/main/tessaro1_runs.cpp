// The main window's note runs and test sequence, paced by the busy-wait.
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "platform/toolkit/random_source.h"
#include "windows/main/note_runs.h"
#include "windows/main/tessaro1.h"

namespace runs {

constexpr int lastStep = 100;
constexpr double channel = 1;
constexpr double testVelocity = 64;
constexpr double testPause = 2;

// Single-precision numbers as the toolkit writes them: up to seven significant digits.
QString singleText(float number)
{
    return QString::number(number, 'g', 7);
}

}  // namespace runs

void tessaro1::connectRuns()
{
    connect(Fast, &QPushButton::clicked, this, &tessaro1::Fast_Click);
    connect(Slow, &QPushButton::clicked, this, &tessaro1::Slow_Click);
    connect(Random1, &QPushButton::clicked, this, &tessaro1::Random1_Click);
    connect(Random2, &QPushButton::clicked, this, &tessaro1::Random2_Click);
    connect(Random3, &QPushButton::clicked, this, &tessaro1::Random3_Click);
    connect(Test, &QPushButton::clicked, this, &tessaro1::Test_Click);
}

// 101 note-ons on channel 1 at the volume bar's value as the run starts, each after its pause.
void tessaro1::playRun(NoteRun run)
{
    const int velocity = Volumescroll->value();
    for (int i = 0; i <= runs::lastStep; ++i) {
        const RunStep step = runStep(run, i, toolkit::programRandom());
        delay(step.pause);
        Noteon(runs::channel, step.note, velocity);
    }
}

void tessaro1::Fast_Click()
{
    playRun(NoteRun::fast);
}

void tessaro1::Slow_Click()
{
    playRun(NoteRun::slow);
}

void tessaro1::Random1_Click()
{
    playRun(NoteRun::random1);
}

void tessaro1::Random2_Click()
{
    playRun(NoteRun::random2);
}

void tessaro1::Random3_Click()
{
    playRun(NoteRun::random3);
}

// Random programs on channels 1 to 3, shown in Text1, then an ascending run on the three
// channels at velocity 64, then all notes off.
void tessaro1::Test_Click()
{
    const float x1 = unroundedProgramDraw(toolkit::programRandom());
    const float x2 = unroundedProgramDraw(toolkit::programRandom());
    const int x3 = roundedProgramDraw(toolkit::programRandom());
    Patch(1, playableProgram(x1));
    Patch(2, playableProgram(x2));
    Patch(3, playableProgram(x3));
    Text1->setText(runs::singleText(x1) + ' ' + runs::singleText(x2) + ' ' + QString::number(x3));
    for (int i = 0; i <= runs::lastStep; ++i) {
        for (const double channel : {1.0, 2.0, 3.0}) {
            Noteon(channel, i, runs::testVelocity);
            delay(runs::testPause);
        }
    }
    STP();
}
