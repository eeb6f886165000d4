// Start-up of the program.
#include <QApplication>

#include "platform/toolkit/window_registry.h"
#include "version.h"
#include "windows/main/tessaro1.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("vorlik");
    QApplication::setApplicationVersion(version::program);
    toolkit::WindowRegistry::window<tessaro1>().show();
    return QApplication::exec();
}
