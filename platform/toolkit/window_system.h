// Which window system the program's windows are on, where that changes what a window may do.
#pragma once

namespace toolkit {

// True on a Wayland compositor: it places every window itself (a client cannot move one) and
// draws nothing around a frameless window.
bool onWayland();

}  // namespace toolkit
