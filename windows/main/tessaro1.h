// The main window "Quorvel": device list, volume, program and channel bars, "Stop!", the raw
// message entry, and the message procedures through which every window makes sound.
#pragma once

#include "platform/toolkit/window.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;

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
    void orderTabs();
    void connectHandlers();

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
};
