// A window with a fixed thin border and nothing else from the window manager: no title bar,
// no buttons, and no entry in the task bar or pager.
#pragma once

class QWidget;

namespace toolkit {

// Asks the X11 window manager for this; elsewhere the window keeps what its flags give. Call
// before the window is first shown.
void useFixedBorderOffTaskbar(QWidget& window);

}  // namespace toolkit
