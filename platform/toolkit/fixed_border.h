// A window with a fixed thin border and nothing else from the window system: no title bar,
// no buttons, and no entry in the task bar or pager.
#pragma once

class QPainter;
class QWidget;

namespace toolkit {

// On X11 asks the window manager for this. On Wayland, where Qt would draw a title bar with
// buttons itself, makes the window frameless: it then draws its own border with
// paintOwnBorder(), and a task bar lists it all the same (no Wayland protocol says otherwise).
// Elsewhere the window keeps what its flags give. Call before the window is first shown.
void useFixedBorderOffTaskbar(QWidget& window);

// Draws the thin border along the inside of the window's edge when the window draws its own;
// nothing otherwise. Call at the end of the window's paint event.
void paintOwnBorder(const QWidget& window, QPainter& painter);

}  // namespace toolkit
