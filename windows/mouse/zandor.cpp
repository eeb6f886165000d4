// The musical mouse window: dragging draws coloured lines and plays the pointer's position.
#include "windows/mouse/zandor.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <cstdlib>

#include "platform/toolkit/controls.h"
#include "platform/toolkit/twips.h"
#include "platform/toolkit/window_registry.h"
#include "windows/main/tessaro1.h"
#include "windows/mouse/folding.h"

using toolkit::twipRect;

namespace {

constexpr int lineWidth = 10;  // pixels
constexpr double velocity = 64;
constexpr int modeZeroStep = 5;
constexpr int modeZeroLast = 125;

// Line colours, 0x00BBGGRR.
constexpr std::uint32_t modeOneColour = 0x00C0C000;
constexpr std::uint32_t modeTwoColour = 0x000000FF;
constexpr std::uint32_t modeThreeColour = 0x000080FF;
constexpr std::uint32_t modeFourColour = 0x0000C000;
constexpr std::uint32_t modeFiveColour = 0x00FF00FF;

struct OptionDesign {
    int index;
    const char* caption;
    int top;
};

// In tab order; the captions read #1 to #6 from top to bottom, the indices 1, 2, 3, 4, 0, 5.
constexpr OptionDesign optionDesigns[] = {{1, "#1", 1800}, {2, "#2", 2160}, {3, "#3", 2520},
                                          {4, "#4", 2880}, {0, "#5", 3240}, {5, "#6", 3600}};

QColor fromBgr(std::uint32_t colour)
{
    const auto channel = [colour](unsigned shift) {
        return static_cast<int>((colour >> shift) & 0xFF);
    };
    return QColor(channel(0), channel(8), channel(16));
}

QPointF twips(const QMouseEvent& event)
{
    return event.position() * toolkit::twipsPerPixel;
}

// A control's clicks, whatever the button, stay with it and start no stroke.
template <class Control>
Control* keepsItsClicks(Control* control)
{
    control->setAttribute(Qt::WA_NoMousePropagation);
    return control;
}

}  // namespace

Zandor::Zandor()
{
    setWindowTitle("Zandor The Musical Mouse");
    resize(toolkit::twipSize(9240, 6705));
    setWindowState(Qt::WindowMaximized);
    buildControls();
    orderTabs();
    connectHandlers();
    Form_Load();
}

void Zandor::buildControls()
{
    Command1 = keepsItsClicks(
        toolkit::makeButton(this, "Command1", "Close Window", twipRect(3480, 4800, 1455, 615)));
    Frame1 = keepsItsClicks(
        toolkit::makeFrame(this, "Frame1", "Frame1", twipRect(1320, 1440, 2535, 2655)));
    options_ = new QButtonGroup(this);
    for (const OptionDesign& design : optionDesigns) {
        const QString name = QString("Option1(%1)").arg(design.index);
        auto* option = keepsItsClicks(toolkit::makeOptionButton(
            this, qPrintable(name), design.caption, twipRect(1680, design.top, 1815, 255)));
        options_->addButton(option, design.index);
        Option1[design.index] = option;
    }
    Text1 = keepsItsClicks(
        toolkit::makeTextBox(this, "Text1", "Text1", twipRect(5640, 960, 1575, 1575)));
    Command2 = keepsItsClicks(
        toolkit::makeButton(this, "Command2", "Clear", twipRect(3480, 4200, 1455, 375)));
}

void Zandor::orderTabs()
{
    toolkit::orderTabs({Command1, Option1[1], Option1[2], Option1[3], Option1[4], Text1, Option1[0],
                        Command2, Option1[5]});
}

void Zandor::connectHandlers()
{
    connect(options_, &QButtonGroup::idClicked, this, &Zandor::Option1_Click);
    connect(Command1, &QPushButton::clicked, this, &Zandor::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Zandor::Command2_Click);
}

void Zandor::mousePressEvent(QMouseEvent* event)
{
    const QPointF at = twips(*event);
    Form_MouseDown(static_cast<float>(at.x()), static_cast<float>(at.y()));
}

void Zandor::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF at = twips(*event);
    Form_MouseMove(static_cast<float>(at.x()), static_cast<float>(at.y()));
}

void Zandor::mouseReleaseEvent(QMouseEvent*)
{
    Form_MouseUp();
}

void Zandor::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, drawn_);
}

// The drawing grows with the window and keeps what it holds.
void Zandor::resizeEvent(QResizeEvent*)
{
    if (drawn_.width() >= width() && drawn_.height() >= height()) {
        return;
    }
    QImage grown(size().expandedTo(drawn_.size()), QImage::Format_ARGB32_Premultiplied);
    grown.fill(Qt::transparent);
    QPainter(&grown).drawImage(0, 0, drawn_);
    drawn_ = std::move(grown);
}

tessaro1& Zandor::main()
{
    return toolkit::WindowRegistry::window<tessaro1>();
}

void Zandor::Form_Load()
{
    mode = 5;
}

void Zandor::Option1_Click(int Index)
{
    mode = static_cast<std::int16_t>(Index);
    Text1->setText(QString::number(Index));
}

void Zandor::Form_MouseDown(float X, float Y)
{
    drawing = true;
    position_ = QPointF(X, Y);
    if (mode == 0) {
        playModeZeroRun(X, Y);
    }
}

// 26 notes from X upwards in steps of 5, folded into 0 to 126, after the program from Y.
void Zandor::playModeZeroRun(float X, float Y)
{
    const auto program = static_cast<std::int16_t>(wrap127(Y));
    Text1->setText(QString::number(program));
    main().Patch(1, program);
    for (int i = 0; i <= modeZeroLast; i += modeZeroStep) {
        main().delay(5);
        main().Noteon(1, wrap127(static_cast<double>(X) + i), velocity);
    }
}

void Zandor::Form_MouseMove(float X, float Y)
{
    if (!drawing) {
        return;
    }
    const double x = X;
    const double y = Y;
    switch (mode) {
        case 1:
            line(modeOneColour, X, Y);
            main().Patch(1, wrap127(y));
            main().Noteon(1, wrap127(x), velocity);
            break;
        case 2:
            line(modeTwoColour, X, Y);
            main().Patch(1, wrap127(y * 20));
            main().Noteon(1, wrap127(x * 20), velocity);
            break;
        case 3:
            main().Patch(1, 1);
            main().Patch(2, 4);
            line(modeThreeColour, X, Y);
            main().Noteon(2, wrap127(y), velocity);
            main().delay(5);
            main().Noteon(1, wrap127(x), velocity);
            break;
        case 4:
            line(modeFourColour, X, Y);
            // Above the window the remainder is negative; the volume takes its size.
            toolkit::writeValue(*main().Volumescroll, std::abs(volumeRemainder(y)));
            main().Noteon(1, wrap127(x), velocity);
            break;
        case 5:
            line(modeFiveColour, X, Y);
            main().Patch(1, wrap127(y));
            main().Patch(2, wrap127(y * 2));
            main().Patch(3, wrap127(y * 3));
            main().Noteon(1, wrap127(x), velocity);
            main().delay(3);
            main().Noteon(2, wrap127(x + 1), velocity);
            main().delay(3);
            main().Noteon(3, wrap127(x + 2), velocity);
            break;
        default:
            break;
    }
}

void Zandor::Form_MouseUp()
{
    drawing = false;
    main().STP();
}

void Zandor::line(std::uint32_t colour, float X, float Y)
{
    const QPointF from = position_ / toolkit::twipsPerPixel;
    const QPointF to = QPointF(X, Y) / toolkit::twipsPerPixel;
    QPainter painter(&drawn_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(fromBgr(colour), lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(from, to);
    position_ = QPointF(X, Y);
    constexpr double reach = lineWidth / 2.0 + 1;
    update(QRectF(from, to).normalized().adjusted(-reach, -reach, reach, reach).toAlignedRect());
}

// Wipes every line; the mode, Text1, the drawing position and sounding notes stay.
void Zandor::Command2_Click()
{
    drawn_.fill(Qt::transparent);
    update();
}

void Zandor::Command1_Click()
{
    drawing = false;
    main().STP();
    toolkit::WindowRegistry::unload<Zandor>();
}
