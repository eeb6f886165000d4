// The program's entry point: the application object, then the splash.
#include <QApplication>

#include "version.h"
#include "windows/splash/startup.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("vorlik");
    QApplication::setApplicationVersion(version::program);
    startProgram();
    return QApplication::exec();
}
