// The main window "Quorvel": device list, volume, program and channel bars, "Stop!", the raw
// message entry, the channel-1 player, the note runs, and the message procedures through which
// every window makes sound.
#pragma once

#include "platform/toolkit/window.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;
enum class NoteRun;

namespace toolkit {
class PreciseTimer;
}

class tessaro1 : public toolkit::Window {
    Q_OBJECT
public:
    static constexpr bool visibleAtCreation = false;

    tessaro1();

    // Note on; Channel 0 to 15 goes into the status byte as it is.
    void Noteon(double Channel, double notenumber, double volume);
    // Note on with velocity 0 on Channel - 1 (channels counted from 1).
    void Noteoff(double Channel, double notenumber);
    // Program change on Channel - 1, then the program bar moves to 1 and on to program + 1,
    // each move sending the bar's own program change on the channel bar's channel.
    void Patch(double Channel, double program);
    // All Notes Off on all sixteen channels.
    void STP();
    // Busy-waits (d + 1) x 500001 counting passes; the window is frozen meanwhile.
    void delay(double d);

    // The controls, as designed; other windows and tests reach them directly.
    QLabel* Label2;
    QListWidget* List3;
    QPushButton* Command1;
    QPushButton* Command5;
    QLineEdit* Text1;
    QPushButton* Command3;
    QGroupBox* Frame1;
    QScrollBar* Volumescroll;
    QLabel* Label1;
    QGroupBox* Frame2;
    QLabel* Program;
    QScrollBar* Programscroll;
    QLabel* Label4;
    QGroupBox* Frame3;
    QLabel* Channel;
    QScrollBar* Channelscroll;
    QLabel* Label3;
    QGroupBox* Frame4;
    QPushButton* Channel1;
    QScrollBar* channel1P;
    QScrollBar* Channel1N;
    QScrollBar* Channel1T;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* LPatch;
    QLabel* LNote;
    QLabel* Ltempo;
    toolkit::PreciseTimer* Timer1;
    QPushButton* Fast;
    QPushButton* Command4;
    QPushButton* Slow;
    QPushButton* Random1;
    QPushButton* Random2;
    QPushButton* Random3;
    QPushButton* Test;
    QPushButton* All;
    QPushButton* Noise;
    QPushButton* Mouse;

private:
    void buildControls();
    void buildPlayer();
    void orderTabs();
    void connectHandlers();
    void connectPlayer();
    void connectRuns();

    void Form_Load();
    void Command1_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Volumescroll_Change();
    void Programscroll_Change();
    void Channelscroll_Change();
    void Noise_Click();
    void Mouse_Click();

    // The channel-1 player in Frame4.
    void Channel1_Click();
    void Channel1T_Change();
    void Channel1N_Change();
    void channel1P_Change();
    void Timer1_Timer();

    // The note runs and the test sequence; each returns when it has played its last note.
    void Fast_Click();
    void Slow_Click();
    void Random1_Click();
    void Random2_Click();
    void Random3_Click();
    void Test_Click();
    void playRun(NoteRun run);
};
