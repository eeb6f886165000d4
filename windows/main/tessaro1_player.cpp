// The main window's channel-1 player: a timer that strikes one note and sends one program.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include "platform/toolkit/controls.h"
#include "platform/toolkit/precise_timer.h"
#include "platform/toolkit/twips.h"
#include "windows/main/tessaro1.h"

using toolkit::makeLabel;
using toolkit::makeScrollBar;
using toolkit::twipRect;

namespace player {

constexpr double channel = 1;
constexpr double velocity = 64;

}  // namespace player

void tessaro1::buildPlayer()
{
    Channel1 =
        toolkit::makeButton(Frame4, "Channel1", "Play Channel 1", twipRect(1080, 240, 1095, 495));
    channel1P = makeScrollBar(Frame4, "channel1P", Qt::Horizontal, twipRect(120, 960, 1575, 255), 0,
                              127, 0);
    Channel1N = makeScrollBar(Frame4, "Channel1N", Qt::Horizontal, twipRect(120, 1440, 1575, 255),
                              0, 100, 0);
    Channel1T = makeScrollBar(Frame4, "Channel1T", Qt::Horizontal, twipRect(120, 2040, 1575, 255),
                              30, 5000, 30);
    Label5 = makeLabel(Frame4, "Label5", "Patch #", twipRect(1920, 960, 735, 255));
    Label6 = makeLabel(Frame4, "Label6", "Note #", twipRect(1920, 1440, 855, 255));
    Label7 = makeLabel(Frame4, "Label7", "Tempo          (miliseconds between notes)",
                       twipRect(1920, 1800, 975, 855));
    LPatch = makeLabel(Frame4, "LPatch", "", twipRect(2760, 960, 975, 375));
    LNote = makeLabel(Frame4, "LNote", "", twipRect(2760, 1440, 855, 255));
    Ltempo = makeLabel(Frame4, "Ltempo", "", twipRect(3000, 2040, 855, 375));
    Timer1 = new toolkit::PreciseTimer(this);
}

void tessaro1::connectPlayer()
{
    connect(Channel1, &QPushButton::clicked, this, &tessaro1::Channel1_Click);
    connect(Channel1T, &QScrollBar::valueChanged, this, &tessaro1::Channel1T_Change);
    connect(Channel1N, &QScrollBar::valueChanged, this, &tessaro1::Channel1N_Change);
    connect(channel1P, &QScrollBar::valueChanged, this, &tessaro1::channel1P_Change);
    connect(Timer1, &toolkit::PreciseTimer::tick, this, &tessaro1::Timer1_Timer);
}

// Starts or stops the ticks; stopping sends nothing, so the last note sounds on.
void tessaro1::Channel1_Click()
{
    if (Timer1->enabled()) {
        Timer1->setEnabled(false);
        return;
    }
    Timer1->setEnabled(true);
    Timer1->setInterval(Channel1T->value());
}

void tessaro1::Channel1T_Change()
{
    Ltempo->setText(QString::number(Channel1T->value()));
    Timer1->setInterval(Channel1T->value());
}

void tessaro1::Channel1N_Change()
{
    LNote->setText(QString::number(Channel1N->value()));
}

void tessaro1::channel1P_Change()
{
    LPatch->setText(QString::number(channel1P->value()));
}

void tessaro1::Timer1_Timer()
{
    Noteon(player::channel, Channel1N->value(), player::velocity);
    Patch(player::channel, channel1P->value());
}
