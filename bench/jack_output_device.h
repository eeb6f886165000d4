// Opens, through the main window as a user would, the device that feeds a JACK capture port.
#pragma once

#include <QListWidget>
#include <QPushButton>

#include <stdexcept>
#include <string>

#include "platform/midi/port_name.h"
#include "windows/main/tessaro1.h"

namespace bench {

// port: the capture client's full port name, "<client>:<port>".
inline void openCapturePort(tessaro1& main, const std::string& port)
{
    const QString name = QString::fromStdString(midiout::fitDeviceName(port));
    const QList<QListWidgetItem*> found = main.List3->findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) {
        throw std::runtime_error(port + " is not in the device list");
    }
    found.first()->setSelected(true);
    main.Command1->click();
}

}  // namespace bench
