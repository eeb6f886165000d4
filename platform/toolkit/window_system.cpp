// Which window system the program's windows are on.
#include "platform/toolkit/window_system.h"

#include <QGuiApplication>

namespace toolkit {

// Qt's Wayland platforms are "wayland" and its variants such as "wayland-egl".
bool onWayland()
{
    return QGuiApplication::platformName().startsWith("wayland");
}

}  // namespace toolkit
