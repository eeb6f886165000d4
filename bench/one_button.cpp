// The smallest Qt 6 widget program, one button: what starting Qt and mapping a first window
// cost, for startup_bench to set the program's splash against.
#include <QApplication>
#include <QPushButton>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QPushButton button("Quit");
    QObject::connect(&button, &QPushButton::clicked, &app, &QApplication::quit);
    button.show();
    return QApplication::exec();
}
