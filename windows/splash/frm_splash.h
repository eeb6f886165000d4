// The splash window: the product label and its picture, until a key press or a click on the
// frame hands over to the main window.
#pragma once

#include "platform/toolkit/window.h"

class QGroupBox;
class QLabel;

class frmSplash : public toolkit::Window {
    Q_OBJECT
public:
    static constexpr bool visibleAtCreation = true;

    frmSplash();

    QGroupBox* Frame1;
    QLabel* Image2;
    QLabel* Image1;
    QLabel* lblVersion;
    QLabel* lblCompanyProduct;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Key presses reach the window before any control; a key that types a character hands over.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void centreOnScreen();
    void handOver();

    // The button pressed on Frame1 and not yet released.
    Qt::MouseButton pressedOnFrame_ = Qt::NoButton;
};
