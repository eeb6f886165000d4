// The main window "Quorvel": device list, volume, program and channel bars, "Stop!", the raw
// message entry, and the message procedures through which every window makes sound. The player
// and the note runs are in tessaro1_player.cpp and tessaro1_runs.cpp.
#include "windows/main/tessaro1.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include "midi/delay.h"
#include "midi/device_handle.h"
#include "midi/message_procedures.h"
#include "midi/message_text.h"
#include "midi/output_devices.h"
#include "platform/toolkit/controls.h"
#include "platform/toolkit/message_box.h"
#include "platform/toolkit/twips.h"
#include "platform/toolkit/window_registry.h"
#include "windows/mouse/zandor.h"
#include "windows/noise/form1.h"

using toolkit::makeButton;
using toolkit::makeFrame;
using toolkit::makeLabel;
using toolkit::makeList;
using toolkit::makeScrollBar;
using toolkit::makeTextBox;
using toolkit::twipRect;

namespace {

constexpr bool centred = true;
// The raw entry takes eight digits with leading zeros and blanks to spare, and the Test
// sequence's three numbers; a longer text could only be refused.
constexpr int rawEntryLength = 40;

// The row the user selected, or -1; a current row that is not selected does not count.
int selectedIndex(const QListWidget& list)
{
    const QList<QListWidgetItem*> selected = list.selectedItems();
    return selected.isEmpty() ? -1 : list.row(selected.first());
}

QString decimal(int value)
{
    return QString::number(value);
}

// What becomes of the device opened before when another cannot be opened in its place; a device
// whose server has gone is still open, but silent.
std::string openedBefore(const std::string& silenceReason)
{
    if (silenceReason.empty()) {
        return "\n\nThe device opened before stays open.";
    }
    return "\n\nThe device opened before stays open but makes no sound now. " + silenceReason;
}

}  // namespace

tessaro1::tessaro1()
{
    setWindowTitle("Quorvel");
    resize(toolkit::twipSize(11010, 8745));
    buildControls();
    orderTabs();
    connectHandlers();
    Form_Load();
}

void tessaro1::buildControls()
{
    Label2 = makeLabel(this, "Label2", "Select Output Device", twipRect(840, 120, 2055, 255));
    List3 = makeList(this, "List3", twipRect(360, 600, 2895, 1425));
    Command1 = makeButton(this, "Command1", "open device", twipRect(3600, 600, 2655, 1335));
    Command5 = makeButton(this, "Command5", "enter data and click to play",
                          twipRect(480, 2400, 2655, 1215));
    Text1 = makeTextBox(this, "Text1", "00642A90", twipRect(3480, 2280, 2895, 1335));
    Text1->setMaxLength(rawEntryLength);
    Command3 = makeButton(this, "Command3", "Exit", twipRect(240, 3960, 6015, 495));

    Frame1 = makeFrame(this, "Frame1", "Frame1", twipRect(1800, 4920, 1455, 2535));
    Volumescroll = makeScrollBar(Frame1, "Volumescroll", Qt::Vertical,
                                 twipRect(600, 600, 255, 1455), 0, 127, 64);
    Label1 = makeLabel(Frame1, "Label1", "Volume", twipRect(120, 2160, 1215, 255), centred);

    Frame2 = makeFrame(this, "Frame2", "Frame2", twipRect(3360, 4920, 1335, 2535));
    Program = makeLabel(Frame2, "Program", "", twipRect(240, 600, 855, 495), centred);
    Programscroll = makeScrollBar(Frame2, "Programscroll", Qt::Horizontal,
                                  twipRect(120, 1200, 975, 255), 1, 128, 1);
    Label4 = makeLabel(Frame2, "Label4", "Program Control", twipRect(240, 1680, 855, 495), centred);

    Frame3 = makeFrame(this, "Frame3", "Frame3", twipRect(4920, 5160, 1455, 2295));
    Channel = makeLabel(Frame3, "Channel", "", twipRect(360, 360, 735, 495), centred);
    Channelscroll = makeScrollBar(Frame3, "Channelscroll", Qt::Horizontal,
                                  twipRect(240, 1080, 975, 255), 0, 15, 0);
    Label3 = makeLabel(Frame3, "Label3", "Channel", twipRect(360, 1560, 855, 615), centred);

    Frame4 = makeFrame(this, "Frame4", "Frame4", twipRect(6480, 1560, 3975, 2775));
    buildPlayer();

    Fast = makeButton(this, "Fast", "Fast", twipRect(120, 4680, 1215, 495));
    Command4 = makeButton(this, "Command4", "Stop!", twipRect(240, 7680, 5775, 855));
    Slow = makeButton(this, "Slow", "Slow", twipRect(120, 5280, 1215, 495));
    Random1 = makeButton(this, "Random1", "Random 1", twipRect(120, 5880, 1215, 495));
    Random2 = makeButton(this, "Random2", "Random 2", twipRect(120, 6480, 1215, 495));
    Random3 = makeButton(this, "Random3", "Random 3", twipRect(120, 7080, 1215, 495));
    Test = makeButton(this, "Test", "Test", twipRect(1680, 4680, 735, 255));
    All = makeButton(this, "All", "Play All", twipRect(7800, 720, 1215, 495));
    Noise = makeButton(this, "Noise", "BRING THE NOISE", twipRect(6840, 4800, 3735, 1575));
    Mouse = makeButton(this, "Mouse", "Compose With Zandor The Musical Mouse",
                       twipRect(6840, 6600, 3735, 1575));
}

// Focus moves in the designed order; "Exit" comes first and has the focus at start.
void tessaro1::orderTabs()
{
    toolkit::orderTabs({Command3,      List3,         Command5, Text1,    Command1, Volumescroll,
                        Programscroll, Channelscroll, Fast,     Command4, Slow,     Random1,
                        Random2,       Random3,       Test,     All,      Channel1, channel1P,
                        Channel1N,     Channel1T,     Noise,    Mouse});
    Command3->setFocus();
}

void tessaro1::connectHandlers()
{
    connect(Command1, &QPushButton::clicked, this, &tessaro1::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &tessaro1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &tessaro1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &tessaro1::Command5_Click);
    connect(Volumescroll, &QScrollBar::valueChanged, this, &tessaro1::Volumescroll_Change);
    connect(Programscroll, &QScrollBar::valueChanged, this, &tessaro1::Programscroll_Change);
    connect(Channelscroll, &QScrollBar::valueChanged, this, &tessaro1::Channelscroll_Change);
    connect(Noise, &QPushButton::clicked, this, &tessaro1::Noise_Click);
    connect(Mouse, &QPushButton::clicked, this, &tessaro1::Mouse_Click);
    connectPlayer();
    connectRuns();
}

void tessaro1::Noteon(double Channel, double notenumber, double volume)
{
    midi::noteOn(Channel, notenumber, volume);
}

void tessaro1::Noteoff(double Channel, double notenumber)
{
    midi::noteOff(Channel, notenumber);
}

void tessaro1::Patch(double Channel, double program)
{
    if (!midi::wholeArguments({Channel, program})) {
        return;
    }
    midi::programChange(Channel, program);
    Programscroll->setValue(1);
    toolkit::writeValue(*Programscroll, program + 1);
    Program->setText(decimal(Programscroll->value()));
}

void tessaro1::STP()
{
    midi::allNotesOff();
}

void tessaro1::delay(double d)
{
    midi::delay(d);
}

void tessaro1::Form_Load()
{
    midi::closeDevice();
    for (const std::string& name : midi::outputDeviceNames()) {
        List3->addItem(QString::fromLocal8Bit(name));
    }
    Channel->setText(decimal(Channelscroll->value() + 1));
    Program->setText(decimal(Programscroll->value()));
}

void tessaro1::Command1_Click()
{
    const int device = selectedIndex(*List3);
    if (device < 0) {
        toolkit::showMessageBox(this, "Please select an Output Device");
        return;
    }
    const std::string failure = midi::openDevice(static_cast<unsigned>(device));
    if (failure.empty()) {
        return;
    }
    QString text = QString("\"%1\" could not be opened.\n\n%2")
                       .arg(List3->item(device)->text(), QString::fromStdString(failure));
    if (midi::deviceOpen()) {
        text += QString::fromStdString(openedBefore(midi::deviceSilenceReason()));
    }
    toolkit::showMessageBox(this, text);
}

void tessaro1::Command3_Click()
{
    midi::closeDevice();
    hide();
    toolkit::WindowRegistry::endProgram();
}

void tessaro1::Command4_Click()
{
    midi::allNotesOff();
}

void tessaro1::Command5_Click()
{
    if (!midi::sendText(midi::rawEntryText(Text1->text().toStdString()))) {
        toolkit::showMessageBox(
            this, QString("\"%1\" is not a message that can be sent.\n\nType up to eight "
                          "hexadecimal digits (0 to 9, A to F), the status byte last, for "
                          "example 00642A90.")
                      .arg(Text1->text()));
    }
}

void tessaro1::Volumescroll_Change()
{
    midi::sendText(midi::volumeBarText(Volumescroll->value(), Channelscroll->value()));
}

void tessaro1::Programscroll_Change()
{
    midi::sendText(midi::programBarText(Programscroll->value(), Channelscroll->value()));
    Program->setText(decimal(Programscroll->value()));
}

void tessaro1::Channelscroll_Change()
{
    Channel->setText(decimal(Channelscroll->value() + 1));
}

void tessaro1::Noise_Click()
{
    toolkit::WindowRegistry::window<Form1>().show();
}

void tessaro1::Mouse_Click()
{
    toolkit::WindowRegistry::window<Zandor>().show();
}
