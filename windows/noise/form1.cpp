// The noise machine window: ten voices, each playing random notes on its own channel.
#include "windows/noise/form1.h"

#include <QPushButton>
#include <QScrollBar>
#include <QString>

#include <vector>

#include "platform/toolkit/controls.h"
#include "platform/toolkit/precise_timer.h"
#include "platform/toolkit/random_source.h"
#include "platform/toolkit/twips.h"
#include "platform/toolkit/window_registry.h"
#include "windows/main/tessaro1.h"

using toolkit::twipRect;

namespace {

constexpr const char* off = "Off";
constexpr const char* on = "On";
constexpr const char* blank = " ";

constexpr int columnStep = 840;  // twips between one voice's column and the next

constexpr int buttonLeft = 120;
constexpr int buttonWidth = 735;
constexpr int buttonHeight = 495;
constexpr int onoffTop = 240;
constexpr int command4Top = 2760;
constexpr int command5Top = 3240;

constexpr int speedLeft = 360;
constexpr int speedTop = 840;
constexpr int speedWidth = 255;
constexpr int speedHeight = 1815;
constexpr int fastest = 30;    // ms between notes, at the bar's top
constexpr int slowest = 5000;  // ms between notes, at the bar's bottom

constexpr int wideLeft = 360;
constexpr int wideWidth = 7695;
constexpr int wideHeight = 375;

constexpr float noteSpan = 127.0F;  // r in [0, 1) times this gives a note in [0, 127)
constexpr double velocity = 64;

QString indexed(const char* name, int index)
{
    return QString("%1(%2)").arg(name).arg(index);
}

QPushButton* columnButton(QWidget* parent, const char* name, int index, const char* caption,
                          int top)
{
    const int left = buttonLeft + columnStep * index;
    return toolkit::makeButton(parent, qPrintable(indexed(name, index)), caption,
                               twipRect(left, top, buttonWidth, buttonHeight));
}

QPushButton* wideButton(QWidget* parent, const char* name, const char* caption, int top)
{
    return toolkit::makeButton(parent, name, caption,
                               twipRect(wideLeft, top, wideWidth, wideHeight));
}

}  // namespace

Form1::Form1()
{
    setWindowTitle("Form1");
    resize(toolkit::twipSize(8610, 6240));
    buildControls();
    orderTabs();
    connectHandlers();
}

void Form1::buildControls()
{
    for (int i = 0; i < noise::voiceCount; ++i) {
        const int left = speedLeft + columnStep * i;
        onoff[i] = columnButton(this, "onoff", i, off, onoffTop);
        Speed[i] = toolkit::makeScrollBar(this, qPrintable(indexed("Speed", i)), Qt::Vertical,
                                          twipRect(left, speedTop, speedWidth, speedHeight),
                                          fastest, slowest, fastest);
        Command4[i] = columnButton(this, "Command4", i, blank, command4Top);
        Command5[i] = columnButton(this, "Command5", i, blank, command5Top);
        Timer1[i] = new toolkit::PreciseTimer(this);
        Timer1[i]->setObjectName(indexed("Timer1", i));
    }
    Command6 = wideButton(this, "Command6", "Let's Hear Some Noise!", 4320);
    Command3 = wideButton(this, "Command3", "STOP", 4800);
    Command2 = wideButton(this, "Command2", "RESET", 5280);
    Command1 = wideButton(this, "Command1", "Close Window", 5760);
}

// Voice 0's column is interrupted by "RESET" and "STOP"; "Close Window" and the all-on button
// come last.
void Form1::orderTabs()
{
    std::vector<QWidget*> order = {onoff[0], Speed[0],    Command2,
                                   Command3, Command4[0], Command5[0]};
    for (int i = 1; i < noise::voiceCount; ++i) {
        order.insert(order.end(), {onoff[i], Speed[i], Command4[i], Command5[i]});
    }
    order.insert(order.end(), {Command1, Command6});
    toolkit::orderTabs(order);
}

void Form1::connectHandlers()
{
    for (int i = 0; i < noise::voiceCount; ++i) {
        connect(onoff[i], &QPushButton::clicked, this, [this, i] { onoff_Click(i); });
        connect(Speed[i], &QScrollBar::valueChanged, this, [this, i] { Speed_Change(i); });
        connect(Timer1[i], &toolkit::PreciseTimer::tick, this, [this, i] { Timer1_Timer(i); });
    }
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
}

tessaro1& Form1::main()
{
    return toolkit::WindowRegistry::window<tessaro1>();
}

// Only the caption tells whether the voice is on.
void Form1::onoff_Click(int Index)
{
    if (onoff[Index]->text() == off) {
        switchOn(Index);
    } else {
        switchOff(Index);
    }
}

// Sets the period whether the voice is on or off; an off voice keeps it for later.
void Form1::Speed_Change(int Index)
{
    Timer1[Index]->setInterval(Speed[Index]->value());
}

// One note of random pitch, with no note-off: it sounds until an all-notes-off.
void Form1::Timer1_Timer(int Index)
{
    const float r = toolkit::programRandom().next();
    const float product = r * noteSpan;
    main().Noteon(Index, product, velocity);
}

void Form1::Command6_Click()
{
    for (int i = 0; i < noise::voiceCount; ++i) {
        switchOn(i);
    }
}

void Form1::Command3_Click()
{
    for (int i = 0; i < noise::voiceCount; ++i) {
        switchOff(i);
    }
    main().STP();
}

// Silences every channel; the voices keep their state and periods.
void Form1::Command2_Click()
{
    main().STP();
}

void Form1::Command1_Click()
{
    main().STP();
    for (int i = 0; i < noise::voiceCount; ++i) {
        switchOff(i);
    }
    hide();
    toolkit::WindowRegistry::unload<Form1>();
}

// A voice whose bar has never reported a change has no period yet; it takes the bar's value
// (30 ms at creation), so that a button reading "On" always makes sound.
void Form1::switchOn(int Index)
{
    if (Timer1[Index]->interval() == 0) {
        Timer1[Index]->setInterval(Speed[Index]->value());
    }
    Timer1[Index]->setEnabled(true);
    onoff[Index]->setText(on);
}

void Form1::switchOff(int Index)
{
    Timer1[Index]->setEnabled(false);
    onoff[Index]->setText(off);
}
