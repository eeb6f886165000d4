// The main window through its real widgets, against recording devices.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "main_window_harness.h"
#include "midi/message_procedures.h"
#include "windows/mouse/zandor.h"
#include "windows/noise/form1.h"

using testsupport::click;
using testsupport::RecordingDevices;
using testsupport::selectRow;
using testsupport::SentMessage;
using testsupport::Values;
using toolkit::WindowRegistry;

Q_DECLARE_METATYPE(Values)

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::MainWindowHarness> harness_;

    tessaro1& window() { return harness_->window(); }
    tessaro1& load(std::vector<std::string> names = {"first", "second", "third"})
    {
        return harness_->load(std::move(names));
    }
    tessaro1& loadAndOpen(int row = 0) { return harness_->loadAndOpen(row); }
    RecordingDevices& devices() { return *harness_->devices; }
    const QStringList& boxes() const { return harness_->boxes; }
    // For tests that set up failures before the load.
    RecordingDevices& recordOn(std::vector<std::string> names)
    {
        harness_->devices = std::make_unique<RecordingDevices>(std::move(names));
        return devices();
    }

private slots:
    void init() { harness_ = std::make_unique<testsupport::MainWindowHarness>(); }
    void cleanup() { harness_.reset(); }

    void loadShowsTheDesignTimeStateAndSendsNothing()
    {
        tessaro1& main = load();
        QCOMPARE(main.windowTitle(), QString("Quorvel"));
        QCOMPARE(main.size(), QSize(734, 583));
        QCOMPARE(main.List3->count(), 3);
        QCOMPARE(main.Text1->text(), QString("00642A90"));
        QCOMPARE(main.Channel->text(), QString("1"));
        QCOMPARE(main.Program->text(), QString("1"));
        QCOMPARE(main.Volumescroll->value(), 64);
        QCOMPARE(main.Volumescroll->minimum(), 0);
        QCOMPARE(main.Volumescroll->maximum(), 127);
        QCOMPARE(main.Programscroll->minimum(), 1);
        QCOMPARE(main.Programscroll->maximum(), 128);
        QCOMPARE(main.Channelscroll->maximum(), 15);
        QCOMPARE(main.Volumescroll->orientation(), Qt::Vertical);
        QCOMPARE(main.Programscroll->orientation(), Qt::Horizontal);
        for (QScrollBar* bar : {main.Volumescroll, main.Programscroll, main.Channelscroll}) {
            QCOMPARE(bar->singleStep(), 1);
            QCOMPARE(bar->pageStep(), 1);
        }
        QVERIFY(main.List3->selectedItems().isEmpty());
        QVERIFY(devices().messages().empty());
        QVERIFY(devices().opened().empty());
    }

    void controlsSitAtTheirDesignedPlaces_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("place");
        QTest::newRow("Label2") << "Label2"
                                << "Select Output Device" << QRect(56, 8, 137, 17);
        QTest::newRow("List3") << "List3"
                               << "" << QRect(24, 40, 193, 95);
        QTest::newRow("Command1") << "Command1"
                                  << "open device" << QRect(240, 40, 177, 89);
        QTest::newRow("Command5") << "Command5"
                                  << "enter data and click to play" << QRect(32, 160, 177, 81);
        QTest::newRow("Text1") << "Text1"
                               << "00642A90" << QRect(232, 152, 193, 89);
        QTest::newRow("Command3") << "Command3"
                                  << "Exit" << QRect(16, 264, 401, 33);
        QTest::newRow("Frame1") << "Frame1"
                                << "Frame1" << QRect(120, 328, 97, 169);
        QTest::newRow("Volumescroll") << "Volumescroll"
                                      << "" << QRect(40, 40, 17, 97);
        QTest::newRow("Label1") << "Label1"
                                << "Volume" << QRect(8, 144, 81, 17);
        QTest::newRow("Frame2") << "Frame2"
                                << "Frame2" << QRect(224, 328, 89, 169);
        QTest::newRow("Program") << "Program"
                                 << "1" << QRect(16, 40, 57, 33);
        QTest::newRow("Programscroll") << "Programscroll"
                                       << "" << QRect(8, 80, 65, 17);
        QTest::newRow("Label4") << "Label4"
                                << "Program Control" << QRect(16, 112, 57, 33);
        QTest::newRow("Frame3") << "Frame3"
                                << "Frame3" << QRect(328, 344, 97, 153);
        QTest::newRow("Channel") << "Channel"
                                 << "1" << QRect(24, 24, 49, 33);
        QTest::newRow("Channelscroll") << "Channelscroll"
                                       << "" << QRect(16, 72, 65, 17);
        QTest::newRow("Label3") << "Label3"
                                << "Channel" << QRect(24, 104, 57, 41);
        QTest::newRow("Frame4") << "Frame4"
                                << "Frame4" << QRect(432, 104, 265, 185);
        QTest::newRow("Fast") << "Fast"
                              << "Fast" << QRect(8, 312, 81, 33);
        QTest::newRow("Command4") << "Command4"
                                  << "Stop!" << QRect(16, 512, 385, 57);
        QTest::newRow("Slow") << "Slow"
                              << "Slow" << QRect(8, 352, 81, 33);
        QTest::newRow("Random1") << "Random1"
                                 << "Random 1" << QRect(8, 392, 81, 33);
        QTest::newRow("Random2") << "Random2"
                                 << "Random 2" << QRect(8, 432, 81, 33);
        QTest::newRow("Random3") << "Random3"
                                 << "Random 3" << QRect(8, 472, 81, 33);
        QTest::newRow("Test") << "Test"
                              << "Test" << QRect(112, 312, 49, 17);
        QTest::newRow("All") << "All"
                             << "Play All" << QRect(520, 48, 81, 33);
        QTest::newRow("Noise") << "Noise"
                               << "BRING THE NOISE" << QRect(456, 320, 249, 105);
        QTest::newRow("Mouse") << "Mouse"
                               << "Compose With Zandor The Musical Mouse"
                               << QRect(456, 440, 249, 105);
    }

    void controlsSitAtTheirDesignedPlaces()
    {
        QFETCH(QString, control);
        QFETCH(QString, caption);
        QFETCH(QRect, place);
        tessaro1& main = load();
        auto* widget = main.findChild<QWidget*>(control);
        QVERIFY2(widget != nullptr, qPrintable(control));
        QCOMPARE(widget->geometry(), place);
        QString shown;
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            shown = button->text();
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            shown = label->text();
        } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
            shown = frame->title();
        } else if (auto* text = qobject_cast<QLineEdit*>(widget)) {
            shown = text->text();
        }
        QCOMPARE(shown, caption);
    }

    void tabMovesThroughTheControlsInTheDesignedOrder()
    {
        tessaro1& main = load();
        QApplication::setActiveWindow(&main);
        QVERIFY(QTest::qWaitForWindowActive(&main));
        const QWidget* const order[] = {
            main.Command3, main.List3,        main.Command5,      main.Text1,
            main.Command1, main.Volumescroll, main.Programscroll, main.Channelscroll,
            main.Fast,     main.Command4,     main.Slow,          main.Random1,
            main.Random2,  main.Random3,      main.Test,          main.All,
            main.Channel1, main.channel1P,    main.Channel1N,     main.Channel1T,
            main.Noise,    main.Mouse};
        QCOMPARE(QApplication::focusWidget(), order[0]);
        for (std::size_t i = 1; i < std::size(order); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[i]);
        }
    }

    void listShowsEveryDeviceInOrderOrNone()
    {
        const std::string name32 = "A device name of exactly 32 byte";
        tessaro1& main = load({"first", name32, "third"});
        QCOMPARE(main.List3->item(0)->text(), QString("first"));
        QCOMPARE(main.List3->item(1)->text(), QString::fromStdString(name32));
        QCOMPARE(main.List3->item(2)->text(), QString("third"));
        WindowRegistry::unloadAll();

        tessaro1& empty = load({});
        QCOMPARE(empty.List3->count(), 0);
        QCOMPARE(empty.Channel->text(), QString("1"));
        QCOMPARE(empty.Program->text(), QString("1"));
        click(empty.Command1);
        QCOMPARE(boxes(), QStringList{"Please select an Output Device"});
    }

    void failingNameQueryKeepsTheDevicesPlace()
    {
        recordOn({"a", "b", "c"}).failCapabilities(1);
        tessaro1& main = window();
        main.show();
        QCOMPARE(main.List3->count(), 3);
        QCOMPARE(main.List3->item(1)->text(), QString("Output device 1"));
        selectRow(main.List3, 2);
        click(main.Command1);
        QCOMPARE(devices().opened(), std::vector<std::size_t>{2});
    }

    void openDeviceWithNothingSelectedOnlyAsks()
    {
        tessaro1& main = load();
        click(main.Command1);
        QCOMPARE(boxes(), QStringList{"Please select an Output Device"});
        QVERIFY(devices().opened().empty());
        QCOMPARE(midi::Devicehandle, 0U);
    }

    void openDeviceOpensTheSelectedDeviceAndClosesTheOneBefore()
    {
        tessaro1& main = load();
        selectRow(main.List3, 2);
        click(main.Command1);
        QCOMPARE(devices().opened(), std::vector<std::size_t>{2});
        const winmm::HMIDIOUT first = midi::Devicehandle;
        QVERIFY(first != 0);

        selectRow(main.List3, 0);
        click(main.Command1);
        QCOMPARE(devices().opened(), (std::vector<std::size_t>{2, 0}));
        QCOMPARE(devices().closed(), std::vector<std::uint32_t>{first});
        click(main.Command4);
        QCOMPARE(devices().messages().front().handle, midi::Devicehandle);
        QVERIFY(boxes().isEmpty());
    }

    void failedOpenSaysWhichDeviceAndWhy()
    {
        recordOn({"synth"}).failOpen(0, "No General MIDI SoundFont found.");
        tessaro1& main = window();
        main.show();
        selectRow(main.List3, 0);
        click(main.Command1);
        QCOMPARE(boxes().size(), 1);
        QVERIFY(boxes()[0].contains("\"synth\""));
        QVERIFY(boxes()[0].contains("No General MIDI SoundFont found."));
        QCOMPARE(midi::Devicehandle, 0U);
        click(main.Command4);
        QVERIFY(devices().messages().empty());
    }

    void failedOpenKeepsTheWorkingDevice()
    {
        recordOn({"port", "synth"}).failOpen(1, "No audio output could be started.");
        tessaro1& main = window();
        main.show();
        selectRow(main.List3, 0);
        click(main.Command1);
        const winmm::HMIDIOUT working = midi::Devicehandle;
        selectRow(main.List3, 1);
        click(main.Command1);
        QCOMPARE(boxes().size(), 1);
        QVERIFY(boxes()[0].contains("No audio output could be started."));
        QVERIFY(boxes()[0].contains("The device opened before stays open."));
        QVERIFY(devices().closed().empty());
        devices().clear();
        click(main.Command4);
        QCOMPARE(devices().messages().size(), 16U);
        QCOMPARE(devices().messages().front(), (SentMessage{working, 0x00007BB0}));
    }

    // "Stays open" alone would be untrue of a device whose server has gone.
    void failedOpenSaysWhenTheDeviceOpenedBeforeIsSilent()
    {
        recordOn({"port", "synth"}).failOpen(1, "No audio output could be started.");
        tessaro1& main = window();
        main.show();
        selectRow(main.List3, 0);
        click(main.Command1);
        devices().silence(0, "The JACK server has stopped.");
        selectRow(main.List3, 1);
        click(main.Command1);
        QCOMPARE(boxes().size(), 1);
        QVERIFY(
            boxes()[0].contains("The device opened before stays open but makes no sound now. "
                                "The JACK server has stopped."));
    }

    void volumeBarSendsChannelVolumeOnTheChannelBarsChannel()
    {
        tessaro1& main = loadAndOpen();
        main.Channelscroll->setValue(15);
        QCOMPARE(main.Channel->text(), QString("16"));
        QVERIFY(devices().messages().empty());
        main.Volumescroll->setValue(100);
        main.Channelscroll->setValue(0);
        main.Volumescroll->setValue(0);
        QCOMPARE(devices().values(), (Values{0x006407BF, 0x000007B0}));
    }

    void programBarSendsItsOwnValueAndShowsIt()
    {
        tessaro1& main = loadAndOpen();
        main.Programscroll->setValue(128);
        QCOMPARE(main.Program->text(), QString("128"));
        main.Programscroll->setValue(1);
        QCOMPARE(main.Program->text(), QString("1"));
        QCOMPARE(devices().values(), (Values{0x000080C0, 0x000001C0}));
    }

    void clickOnABarsArrowMovesItByOneAndSendsOnce()
    {
        tessaro1& main = loadAndOpen();
        QScrollBar* bar = main.Volumescroll;
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 3));
        QCOMPARE(bar->value(), 65);
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, 3));
        QCOMPARE(bar->value(), 64);
        QCOMPARE(devices().values(), (Values{0x004107B0, 0x004007B0}));
    }

    void patchSendsItsProgramThenTheBarsCascade_data()
    {
        QTest::addColumn<int>("barBefore");
        QTest::addColumn<int>("mainChannel");
        QTest::addColumn<double>("channel");
        QTest::addColumn<double>("program");
        QTest::addColumn<Values>("sent");
        QTest::addColumn<int>("barAfter");
        QTest::newRow("program 0, bar at 1") << 1 << 0 << 1.0 << 0.0 << Values{0x000000C0} << 1;
        QTest::newRow("program 0, bar at 10")
            << 10 << 0 << 1.0 << 0.0 << Values{0x000000C0, 0x000001C0} << 1;
        QTest::newRow("program 5, bar at 1")
            << 1 << 0 << 1.0 << 5.0 << Values{0x000005C0, 0x000006C0} << 6;
        QTest::newRow("program 127 on channel 3")
            << 1 << 0 << 3.0 << 127.0 << Values{0x00007FC2, 0x000080C0} << 128;
        QTest::newRow("program 2.5, bar at 10")
            << 10 << 0 << 1.0 << 2.5 << Values{0x000002C0, 0x000001C0, 0x000004C0} << 4;
        QTest::newRow("bar's messages go to the channel bar's channel")
            << 10 << 5 << 1.0 << 5.0 << Values{0x000005C0, 0x000001C5, 0x000006C5} << 6;
        QTest::newRow("program 128 keeps the bar at 128")
            << 1 << 0 << 1.0 << 128.0 << Values{0x000080C0, 0x000080C0} << 128;
        QTest::newRow("program 200 keeps the bar at 128")
            << 1 << 0 << 1.0 << 200.0 << Values{0x0000C8C0, 0x000080C0} << 128;
        QTest::newRow("negative program sends nothing") << 10 << 0 << 1.0 << -1.0 << Values{} << 10;
        QTest::newRow("channel 0 does not convert; the bar still moves")
            << 1 << 0 << 0.0 << 5.0 << Values{0x000006C0} << 6;
    }

    void patchSendsItsProgramThenTheBarsCascade()
    {
        QFETCH(int, barBefore);
        QFETCH(int, mainChannel);
        QFETCH(double, channel);
        QFETCH(double, program);
        QFETCH(Values, sent);
        QFETCH(int, barAfter);
        tessaro1& main = loadAndOpen();
        main.Programscroll->setValue(barBefore);
        main.Channelscroll->setValue(mainChannel);
        devices().clear();
        main.Patch(channel, program);
        QCOMPARE(devices().values(), sent);
        QCOMPARE(main.Programscroll->value(), barAfter);
        QCOMPARE(main.Program->text(), QString::number(barAfter));
    }

    void procedureMessagesGoOutThroughTheWindow()
    {
        tessaro1& main = loadAndOpen();
        main.Noteon(1, 60.5, 64);
        main.Noteon(16, 60, 64);
        main.Noteoff(1, 60);
        main.Noteon(-1, 60, 64);
        QCOMPARE(devices().values(), (Values{0x00403C91, 0x0403C910, 0x00003C90}));
    }

    void stpAndStopBothSilenceTheSixteenChannelsInOrder()
    {
        tessaro1& main = loadAndOpen();
        main.STP();
        QCOMPARE(devices().values(), testsupport::sixteenAllNotesOff());
        devices().clear();
        click(main.Command4);
        QCOMPARE(devices().values(), testsupport::sixteenAllNotesOff());
    }

    void rawEntrySendsWhatConverts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<std::uint32_t>("value");
        QTest::newRow("at load") << "00642A90" << 0x00642A90U;
        QTest::newRow("short") << "903C" << 0x0000903CU;
        QTest::newRow("top bit") << "ffffffff" << 0xFFFFFFFFU;
        QTest::newRow("blanks around") << "  903c  " << 0x0000903CU;
        QTest::newRow("leading zeros") << "0000000000C2" << 0x000000C2U;
    }

    void rawEntrySendsWhatConverts()
    {
        QFETCH(QString, typed);
        QFETCH(std::uint32_t, value);
        tessaro1& main = loadAndOpen();
        main.Text1->clear();
        QTest::keyClicks(main.Text1, typed);
        click(main.Command5);
        QCOMPARE(devices().values(), Values{value});
        QCOMPARE(main.Text1->text(), typed);
        QVERIFY(boxes().isEmpty());
    }

    void rawEntryThatDoesNotConvertSendsNothingAndSaysWhatIsAccepted_data()
    {
        QTest::addColumn<QString>("typed");
        for (const char* typed : {"", "   ", "xyz", "12 34", "-1", "123456789", "0.5 12.25 7"}) {
            QTest::newRow(typed) << typed;
        }
    }

    void rawEntryThatDoesNotConvertSendsNothingAndSaysWhatIsAccepted()
    {
        QFETCH(QString, typed);
        tessaro1& main = loadAndOpen();
        main.Text1->setText(typed);
        click(main.Command5);
        QVERIFY(devices().messages().empty());
        QCOMPARE(boxes().size(), 1);
        QVERIFY(boxes()[0].contains("up to eight hexadecimal digits"));
    }

    // Ten thousand typed characters once took seconds to refuse; the box now stops taking them.
    void rawEntryTakesAnyLengthTyped()
    {
        tessaro1& main = loadAndOpen();
        main.Text1->clear();
        QTest::keyClicks(main.Text1, QString(10000, '0') + "903C");
        QVERIFY(main.Text1->text().size() <= 40);
        main.Text1->setText(QString(30, '0') + "00642A90");
        click(main.Command5);
        QCOMPARE(devices().values(), (Values{0x00642A90}));
    }

    void beforeAnyOpenNothingArrives()
    {
        tessaro1& main = load();
        click(main.Command4);
        main.Volumescroll->setValue(10);
        main.Noteon(0, 60, 64);
        QVERIFY(devices().messages().empty());
    }

    void noiseTwiceLeavesOneVisibleNoiseWindow()
    {
        tessaro1& main = load();
        click(main.Noise);
        Form1* first = WindowRegistry::loaded<Form1>();
        QVERIFY(first != nullptr && first->isVisible());
        click(main.Noise);
        QCOMPARE(WindowRegistry::loaded<Form1>(), first);
        QVERIFY(first->isVisible());
        QCOMPARE(first->windowTitle(), QString("Form1"));
    }

    void mouseShowsTheMusicalMouseMaximised()
    {
        tessaro1& main = load();
        click(main.Mouse);
        Zandor* mouse = WindowRegistry::loaded<Zandor>();
        QVERIFY(mouse != nullptr && mouse->isVisible());
        QVERIFY(mouse->windowState() & Qt::WindowMaximized);
        QCOMPARE(mouse->windowTitle(), QString("Zandor The Musical Mouse"));
    }

    void exitClosesTheDeviceWithoutSilencingAndEndsTheProgram()
    {
        tessaro1& main = loadAndOpen(1);
        const winmm::HMIDIOUT handle = midi::Devicehandle;
        click(main.Noise);
        click(main.Command3);
        QVERIFY(devices().messages().empty());
        QCOMPARE(devices().closed(), std::vector<std::uint32_t>{handle});
        QVERIFY(WindowRegistry::loaded<tessaro1>() == nullptr);
        QVERIFY(WindowRegistry::loaded<Form1>() == nullptr);
    }

    void exitWithNoDeviceOpenedStillEndsTheProgram()
    {
        tessaro1& main = load();
        click(main.Command3);
        QVERIFY(devices().messages().empty());
        QVERIFY(devices().closed().empty());
        QVERIFY(WindowRegistry::loaded<tessaro1>() == nullptr);
    }

    void titleBarCloseSendsNothingAndLeavesTheDeviceOpen()
    {
        tessaro1& main = loadAndOpen();
        QVERIFY(main.close());
        QVERIFY(WindowRegistry::loaded<tessaro1>() == nullptr);
        QVERIFY(devices().messages().empty());
        QVERIFY(devices().closed().empty());
        midi::allNotesOff();
        QCOMPARE(devices().values(), testsupport::sixteenAllNotesOff());
    }

    void reloadClosesTheDeviceAndListsAgain()
    {
        tessaro1& main = loadAndOpen();
        const winmm::HMIDIOUT handle = midi::Devicehandle;
        main.close();
        const int enumerations = devices().enumerations();
        tessaro1& again = window();
        QCOMPARE(devices().closed(), std::vector<std::uint32_t>{handle});
        QCOMPARE(devices().enumerations(), enumerations + 1);
        QCOMPARE(again.List3->count(), 3);
        QCOMPARE(again.Programscroll->value(), 1);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
