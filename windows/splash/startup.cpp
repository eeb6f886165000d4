// What the program does as it starts: the splash window, and nothing else in the foreground.
#include "windows/splash/startup.h"

#include "platform/toolkit/window_registry.h"
#include "windows/splash/frm_splash.h"

void startProgram()
{
    toolkit::WindowRegistry::window<frmSplash>();
}
