// The noise machine window: ten voices, each playing random notes on its own channel.
#pragma once

#include <array>

#include "platform/toolkit/window.h"

class QPushButton;
class QScrollBar;
class tessaro1;

namespace toolkit {
class PreciseTimer;
}

namespace noise {

// Voices 0 to 9; a voice's index is also its MIDI channel.
constexpr int voiceCount = 10;

}  // namespace noise

class Form1 : public toolkit::Window {
    Q_OBJECT
public:
    static constexpr bool visibleAtCreation = true;

    Form1();

    // The controls, as designed; a voice's whole state is its onoff caption and its timer.
    std::array<QPushButton*, noise::voiceCount> onoff;
    std::array<QScrollBar*, noise::voiceCount> Speed;
    std::array<QPushButton*, noise::voiceCount> Command4;
    std::array<QPushButton*, noise::voiceCount> Command5;
    std::array<toolkit::PreciseTimer*, noise::voiceCount> Timer1;
    QPushButton* Command6;
    QPushButton* Command3;
    QPushButton* Command2;
    QPushButton* Command1;

private:
    void buildControls();
    void orderTabs();
    void connectHandlers();

    void onoff_Click(int Index);
    void Speed_Change(int Index);
    void Timer1_Timer(int Index);
    void Command6_Click();
    void Command3_Click();
    void Command2_Click();
    void Command1_Click();

    void switchOn(int Index);
    void switchOff(int Index);
    tessaro1& main();
};
