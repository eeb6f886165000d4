// The program's entry point: the application object, then the splash.
#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "midi/output_devices.h"
#include "version.h"
#include "windows/splash/startup.h"

int main(int argc, char* argv[])
{
    // The connection to a JACK server, for the device list, is made in the background from the
    // start, so that it is ready by the time the splash hands over to the main window.
    midi::prepareOutputDevices();
    QApplication app(argc, argv);
    QApplication::setApplicationName("vorlik");
    QApplication::setApplicationVersion(version::program);
    // The program ends by its own rule, once no window of it is visible.
    QApplication::setQuitOnLastWindowClosed(false);
    startProgram();
    const int status = QApplication::exec();
    // The device closes while every library is whole; a server that stopped answering may still
    // hold a call inside its library, whose teardown must then not run.
    if (!midi::finishOutput()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
