// The musical mouse window: dragging draws coloured lines and plays the pointer's position.
#pragma once

#include <QImage>

#include "platform/toolkit/window.h"

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class tessaro1;

class Zandor : public toolkit::Window {
    Q_OBJECT
public:
    static constexpr bool visibleAtCreation = false;

    Zandor();

    QPushButton* Command1;
    QGroupBox* Frame1;
    QRadioButton* Option1[6];
    QLineEdit* Text1;
    QPushButton* Command2;

    // The selected mode, 0 to 5; 5 after the load although no option shows it.
    std::int16_t mode = 0;
    // True from a press on the client area until the next release or "Close Window".
    bool drawing = false;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void orderTabs();
    void connectHandlers();

    void Form_Load();
    void Option1_Click(int Index);
    void Form_MouseDown(float X, float Y);
    void Form_MouseMove(float X, float Y);
    void Form_MouseUp();
    void Command2_Click();
    void Command1_Click();

    void playModeZeroRun(float X, float Y);
    // Draws a line in the colour (0x00BBGGRR) from the drawing position to (X, Y) in twips,
    // which becomes the drawing position.
    void line(std::uint32_t colour, float X, float Y);
    tessaro1& main();

    QButtonGroup* options_;
    // What the strokes have drawn, kept so that a covered window shows it again.
    QImage drawn_;
    QPointF position_;
};
