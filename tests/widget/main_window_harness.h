// Loads the main window over recording devices and watches its message boxes, for widget tests.
#pragma once

#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include <memory>

#include "midi/device_handle.h"
#include "midi/output_devices.h"
#include "platform/toolkit/message_box.h"
#include "platform/toolkit/window_registry.h"
#include "support/recording_devices.h"
#include "windows/main/tessaro1.h"

namespace testsupport {

using Values = std::vector<std::uint32_t>;

inline void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

inline void selectRow(QListWidget* list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

// All Notes Off on channels 0 to 15, in order.
inline Values sixteenAllNotesOff()
{
    Values values;
    for (std::uint32_t channel = 0; channel < 16; ++channel) {
        values.push_back(0x00007BB0 + channel);
    }
    return values;
}

class MainWindowHarness {
public:
    MainWindowHarness()
    {
        toolkit::setMessageBoxObserver([this](const QString& text) { boxes << text; });
    }

    ~MainWindowHarness()
    {
        toolkit::WindowRegistry::unloadAll();
        midi::closeDevice();
        midi::Devicehandle = 0;
        devices.reset();
        toolkit::setMessageBoxObserver({});
    }

    MainWindowHarness(const MainWindowHarness&) = delete;
    MainWindowHarness& operator=(const MainWindowHarness&) = delete;

    tessaro1& window() { return toolkit::WindowRegistry::window<tessaro1>(); }

    // The load lists the devices, so the recording devices are put in place before it.
    tessaro1& load(std::vector<std::string> names = {"first", "second", "third"})
    {
        devices.reset();
        devices = std::make_unique<RecordingDevices>(std::move(names));
        tessaro1& main = window();
        main.show();
        return main;
    }

    // Loads, opens the device in the given row through the window, and forgets the open.
    tessaro1& loadAndOpen(int row = 0)
    {
        tessaro1& main = load();
        selectRow(main.List3, row);
        click(main.Command1);
        devices->clear();
        return main;
    }

    std::unique_ptr<RecordingDevices> devices;
    QStringList boxes;
};

}  // namespace testsupport
