// The musical mouse window: dragging draws coloured lines and plays the pointer's position.
#include "windows/mouse/zandor.h"

#include "platform/toolkit/twips.h"

Zandor::Zandor()
{
    setWindowTitle("Zandor The Musical Mouse");
    resize(toolkit::twipSize(9240, 6705));
    setWindowState(Qt::WindowMaximized);
}
