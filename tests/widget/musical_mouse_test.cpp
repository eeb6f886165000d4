// The musical mouse through its real widgets: strokes, modes, "Clear" and "Close Window".
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "main_window_harness.h"
#include "midi/delay.h"
#include "windows/mouse/zandor.h"
#include "windows/splash/frm_splash.h"

using testsupport::click;
using testsupport::Values;
using toolkit::WindowRegistry;

Q_DECLARE_METATYPE(Values)

namespace {

constexpr double twipsPerPixel = 15;

std::uint32_t noteOn(std::uint32_t channel, std::uint32_t note)
{
    return 0x00400090 + channel + (note << 8);
}

std::uint32_t programChange(std::uint32_t channel, std::uint32_t program)
{
    return 0xC0 + channel + (program << 8);
}

Values concat(std::initializer_list<Values> parts)
{
    Values all;
    for (const Values& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// A mouse event at a position given in twips from the client area's top-left corner.
void sendMouse(QWidget* window, QEvent::Type type, QPointF twips, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    const QPointF pixels = twips / twipsPerPixel;
    QMouseEvent event(type, pixels, window->mapToGlobal(pixels), button, held, Qt::NoModifier);
    QApplication::sendEvent(window, &event);
}

void press(QWidget* window, QPointF twips, Qt::MouseButton button = Qt::LeftButton)
{
    sendMouse(window, QEvent::MouseButtonPress, twips, button, button);
}

void move(QWidget* window, QPointF twips, Qt::MouseButton held = Qt::LeftButton)
{
    sendMouse(window, QEvent::MouseMove, twips, Qt::NoButton, held);
}

void release(QWidget* window, QPointF twips, Qt::MouseButton button = Qt::LeftButton)
{
    sendMouse(window, QEvent::MouseButtonRelease, twips, button, Qt::NoButton);
}

}  // namespace

class MusicalMouseTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::MainWindowHarness> harness_;
    tessaro1* main_ = nullptr;

    testsupport::RecordingDevices& devices() { return *harness_->devices; }

    Zandor& openMouse()
    {
        main_ = &harness_->loadAndOpen();
        click(main_->Mouse);
        Zandor& mouse = *WindowRegistry::loaded<Zandor>();
        return mouse;
    }

    Zandor& openInMode(int index)
    {
        Zandor& mouse = openMouse();
        click(mouse.Option1[index]);
        devices().clear();
        return mouse;
    }

private slots:
    void init() { harness_ = std::make_unique<testsupport::MainWindowHarness>(); }
    void cleanup() { harness_.reset(); }

    void opensWithItsDesignAndModeFive()
    {
        Zandor& mouse = openMouse();
        QCOMPARE(mouse.windowTitle(), QString("Zandor The Musical Mouse"));
        QVERIFY(mouse.isVisible());
        QVERIFY(mouse.windowState() & Qt::WindowMaximized);
        QCOMPARE(mouse.mode, 5);
        QVERIFY(!mouse.drawing);
        QCOMPARE(mouse.Text1->text(), QString("Text1"));
        QCOMPARE(mouse.Command1->text(), QString("Close Window"));
        QCOMPARE(mouse.Command2->text(), QString("Clear"));
        QCOMPARE(mouse.Frame1->title(), QString("Frame1"));
        QCOMPARE(mouse.Command1->geometry(), QRect(232, 320, 97, 41));
        QCOMPARE(mouse.Text1->geometry(), QRect(376, 64, 105, 105));
        for (QRadioButton* option : mouse.Option1) {
            QVERIFY(!option->isChecked());
            QCOMPARE(option->parentWidget(), &mouse);
        }
    }

    void optionsSetTheirIndexAsTheMode_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("top");
        QTest::newRow("#1") << 1 << "#1" << 120;
        QTest::newRow("#2") << 2 << "#2" << 144;
        QTest::newRow("#3") << 3 << "#3" << 168;
        QTest::newRow("#4") << 4 << "#4" << 192;
        QTest::newRow("#5") << 0 << "#5" << 216;
        QTest::newRow("#6") << 5 << "#6" << 240;
    }

    void optionsSetTheirIndexAsTheMode()
    {
        QFETCH(int, index);
        QFETCH(QString, caption);
        QFETCH(int, top);
        Zandor& mouse = openMouse();
        QRadioButton* option = mouse.Option1[index];
        QCOMPARE(option->text(), caption);
        QCOMPARE(option->geometry().top(), top);
        click(option);
        QCOMPARE(mouse.mode, index);
        QCOMPARE(mouse.Text1->text(), QString::number(index));
        QVERIFY(devices().messages().empty());
    }

    void tabMovesThroughTheControlsInTheDesignedOrder()
    {
        Zandor& mouse = openMouse();
        QWidget* const order[] = {mouse.Command1,   mouse.Option1[1], mouse.Option1[2],
                                  mouse.Option1[3], mouse.Option1[4], mouse.Text1,
                                  mouse.Option1[0], mouse.Command2,   mouse.Option1[5]};
        // Tab itself stops at one option of the group only, as option groups do; the chain
        // of focusable controls holds them all in order.
        std::vector<QWidget*> chain;
        for (QWidget* widget = order[0]; chain.size() < std::size(order);
             widget = widget->nextInFocusChain()) {
            if (widget->focusPolicy() & Qt::TabFocus) {
                chain.push_back(widget);
            }
        }
        QCOMPARE(chain, std::vector<QWidget*>(std::begin(order), std::end(order)));
    }

    void pressAndReleaseWithoutMovingSendOnlyAllNotesOff_data()
    {
        QTest::addColumn<int>("index");
        for (int index : {1, 2, 3, 4, 5}) {
            QTest::newRow(qPrintable(QString("mode %1").arg(index))) << index;
        }
    }

    void pressAndReleaseWithoutMovingSendOnlyAllNotesOff()
    {
        QFETCH(int, index);
        Zandor& mouse = openInMode(index);
        press(&mouse, {1200, 300});
        QVERIFY(mouse.drawing);
        release(&mouse, {1200, 300});
        QVERIFY(!mouse.drawing);
        QCOMPARE(devices().values(), testsupport::sixteenAllNotesOff());
    }

    void modeZeroPlaysTwentySixNotesInsideThePress()
    {
        Zandor& mouse = openInMode(0);
        const std::uint64_t passesBefore = midi::delayPasses;
        press(&mouse, {1200, 300});
        QCOMPARE(mouse.Text1->text(), QString("46"));
        Values expected = {programChange(0, 46), programChange(0, 47)};
        for (std::uint32_t note = 57; note <= 122; note += 5) {
            expected.push_back(noteOn(1, note));
        }
        for (std::uint32_t note = 0; note <= 55; note += 5) {
            expected.push_back(noteOn(1, note));
        }
        QCOMPARE(expected.size(), 28U);
        QCOMPARE(devices().values(), expected);
        QCOMPARE(midi::delayPasses - passesBefore, 26U * 6U * 500001U);

        move(&mouse, {2000, 900});
        QCOMPARE(devices().values(), expected);
        release(&mouse, {2000, 900});
        QCOMPARE(devices().values(), concat({expected, testsupport::sixteenAllNotesOff()}));
    }

    void movesSendWhatTheirModeDerivesFromThePointer_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<Values>("sent");
        QTest::addColumn<std::uint64_t>("delayPasses");
        QTest::newRow("mode 1") << 1 << QPointF(1200, 300)
                                << Values{programChange(0, 46), programChange(0, 47), noteOn(1, 57)}
                                << std::uint64_t{0};
        QTest::newRow("mode 2") << 2 << QPointF(100, 50)
                                << Values{programChange(0, 111), programChange(0, 112),
                                          noteOn(1, 95)}
                                << std::uint64_t{0};
        QTest::newRow("mode 3") << 3 << QPointF(1200, 300)
                                << Values{programChange(0, 1), programChange(0, 2),
                                          programChange(1, 4), programChange(0, 1),
                                          programChange(0, 5), noteOn(2, 46),
                                          noteOn(1, 57)}
                                << std::uint64_t{6} * 500001;
        QTest::newRow("mode 4") << 4 << QPointF(1200, 300) << Values{0x002E07B0, noteOn(1, 57)}
                                << std::uint64_t{0};
        QTest::newRow("mode 5") << 5 << QPointF(125, 100)
                                << Values{programChange(0, 100), programChange(0, 101),
                                          programChange(1, 73),  programChange(0, 1),
                                          programChange(0, 74),  programChange(2, 46),
                                          programChange(0, 1),   programChange(0, 47),
                                          noteOn(1, 125),        noteOn(2, 126),
                                          noteOn(3, 0)}
                                << std::uint64_t{8} * 500001;
        QTest::newRow("left of the window")
            << 1 << QPointF(-130, 300)
            << Values{programChange(0, 46), programChange(0, 47), noteOn(1, 3)} << std::uint64_t{0};
        QTest::newRow("halves round to even")
            << 1 << QPointF(127.5, 127.5)
            << Values{programChange(0, 1), programChange(0, 2), noteOn(1, 1)} << std::uint64_t{0};
    }

    void movesSendWhatTheirModeDerivesFromThePointer()
    {
        QFETCH(int, index);
        QFETCH(QPointF, to);
        QFETCH(Values, sent);
        QFETCH(std::uint64_t, delayPasses);
        Zandor& mouse = openInMode(index);
        press(&mouse, {3000, 3000});
        const std::uint64_t passesBefore = midi::delayPasses;
        move(&mouse, to);
        QCOMPARE(devices().values(), sent);
        QCOMPARE(midi::delayPasses - passesBefore, delayPasses);
    }

    void modeFourSetsTheVolumeBarAndFoldsAboveTheWindow()
    {
        Zandor& mouse = openInMode(4);
        press(&mouse, {1200, 3000});
        move(&mouse, {1200, 300});
        QCOMPARE(main_->Volumescroll->value(), 46);
        devices().clear();
        move(&mouse, {1200, -300});
        QCOMPARE(main_->Volumescroll->value(), 46);
        QCOMPARE(devices().values(), Values{noteOn(1, 57)});
        move(&mouse, {1200, -301});
        QCOMPARE(main_->Volumescroll->value(), 47);
    }

    void movesWithoutAPressedStrokeDoNothing()
    {
        Zandor& mouse = openInMode(1);
        move(&mouse, {1200, 300}, Qt::NoButton);
        press(&mouse, {1200, 300});
        release(&mouse, {1200, 300});
        devices().clear();
        move(&mouse, {1500, 600}, Qt::NoButton);
        QVERIFY(devices().messages().empty());
    }

    void rightAndMiddleButtonsActLikeTheLeft_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }

    void rightAndMiddleButtonsActLikeTheLeft()
    {
        QFETCH(Qt::MouseButton, button);
        Zandor& mouse = openInMode(1);
        press(&mouse, {3000, 3000}, button);
        move(&mouse, {1200, 300}, button);
        release(&mouse, {1200, 300}, button);
        QCOMPARE(devices().values(),
                 concat({{programChange(0, 46), programChange(0, 47), noteOn(1, 57)},
                         testsupport::sixteenAllNotesOff()}));
    }

    void pressOnAControlStartsNoStroke_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<Qt::MouseButton>("button");
        for (const char* control : {"Command1", "Command2", "Frame1", "Text1", "Option1(3)"}) {
            QTest::newRow(qPrintable(QString("%1 left").arg(control))) << control << Qt::LeftButton;
            QTest::newRow(qPrintable(QString("%1 right").arg(control)))
                << control << Qt::RightButton;
        }
    }

    void pressOnAControlStartsNoStroke()
    {
        QFETCH(QString, control);
        QFETCH(Qt::MouseButton, button);
        Zandor& mouse = openInMode(1);
        QWidget* target = mouse.findChild<QWidget*>(control);
        QVERIFY(target != nullptr);
        QTest::mousePress(target, button, {}, QPoint(5, 5));
        QVERIFY(!mouse.drawing);
        QVERIFY(devices().messages().empty());
    }

    void linesAreDrawnInTheModesColourAndClearWipesOnlyThem()
    {
        Zandor& mouse = openInMode(1);
        const QPoint middle(450, 400);
        press(&mouse, QPointF(300, 400) * twipsPerPixel);
        move(&mouse, QPointF(600, 400) * twipsPerPixel);
        QCOMPARE(mouse.grab().toImage().pixelColor(middle), QColor(0, 192, 192));
        QCOMPARE(mouse.grab().toImage().pixelColor(middle + QPoint(0, 4)), QColor(0, 192, 192));
        QVERIFY(mouse.grab().toImage().pixelColor(middle + QPoint(0, 8)) != QColor(0, 192, 192));

        devices().clear();
        click(mouse.Command2);
        QVERIFY(mouse.grab().toImage().pixelColor(middle) != QColor(0, 192, 192));
        QCOMPARE(mouse.mode, 1);
        QCOMPARE(mouse.Text1->text(), QString("1"));
        QVERIFY(mouse.drawing);
        QVERIFY(devices().messages().empty());
        QVERIFY(WindowRegistry::loaded<frmSplash>() == nullptr);
    }

    void linesStayWhenTheWindowIsPaintedAgain()
    {
        Zandor& mouse = openInMode(2);
        press(&mouse, QPointF(100, 300) * twipsPerPixel);
        move(&mouse, QPointF(200, 300) * twipsPerPixel);
        mouse.hide();
        mouse.show();
        mouse.repaint();
        QCOMPARE(mouse.grab().toImage().pixelColor(150, 300), QColor(255, 0, 0));
    }

    void closeWindowSilencesAndUnloads()
    {
        Zandor& mouse = openInMode(1);
        press(&mouse, {3000, 3000});
        click(mouse.Command1);
        QCOMPARE(devices().values(), testsupport::sixteenAllNotesOff());
        QVERIFY(WindowRegistry::loaded<Zandor>() == nullptr);
        click(main_->Mouse);
        Zandor& fresh = *WindowRegistry::loaded<Zandor>();
        QCOMPARE(fresh.mode, 5);
        QCOMPARE(fresh.Text1->text(), QString("Text1"));
    }

    void titleBarCloseSendsNothing()
    {
        Zandor& mouse = openInMode(1);
        QVERIFY(mouse.close());
        QVERIFY(WindowRegistry::loaded<Zandor>() == nullptr);
        QVERIFY(devices().messages().empty());
    }
};

QTEST_MAIN(MusicalMouseTest)
#include "musical_mouse_test.moc"
