// The program's icon on its windows, and the desktop entry the window system matches them to.
#pragma once

#include <QImage>

namespace toolkit {

// The icon drawn on a transparent square image of this many pixels a side.
QImage drawProgramIcon(int size);

// Gives every window the icon theme's "vorlik", or where no theme has it (a program run from
// its build folder) the icon drawn here, and names the desktop entry "vorlik" so that a Wayland
// compositor's task bar finds it. Done once, before the first window is made.
void useProgramIcon();

}  // namespace toolkit
