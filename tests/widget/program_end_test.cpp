// The program ends when no window of it is visible any more, whichever way the last one went,
// and not before; the device open at the end is closed as it ends.
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "main_window_harness.h"
#include "windows/mouse/zandor.h"
#include "windows/noise/form1.h"

using testsupport::click;
using toolkit::WindowRegistry;

namespace {

constexpr int ended = 0;
constexpr int stillRunning = 1;
constexpr int watchdog = 10000;  // ms before a program that should have ended is stopped

// One way a window goes away, as a person would do it.
void perform(const QString& step)
{
    if (step == "main title bar") {
        WindowRegistry::loaded<tessaro1>()->close();
    } else if (step == "noise Close Window") {
        click(WindowRegistry::loaded<Form1>()->Command1);
    } else if (step == "noise title bar") {
        WindowRegistry::loaded<Form1>()->close();
    } else if (step == "mouse Close Window") {
        click(WindowRegistry::loaded<Zandor>()->Command1);
    } else if (step == "mouse title bar") {
        WindowRegistry::loaded<Zandor>()->close();
    } else {
        QFAIL(qPrintable("unknown step " + step));
    }
}

}  // namespace

class ProgramEndTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::MainWindowHarness> harness_;

private slots:
    void init() { harness_ = std::make_unique<testsupport::MainWindowHarness>(); }
    void cleanup() { harness_.reset(); }

    void theProgramEndsWhenItsLastVisibleWindowGoes_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("main window alone, by its title bar") << QStringList{"main title bar"};
        QTest::newRow("noise machine's Close Window last")
            << QStringList{"main title bar", "noise Close Window"};
        QTest::newRow("noise machine's title bar last")
            << QStringList{"main title bar", "noise title bar"};
        QTest::newRow("musical mouse's Close Window last")
            << QStringList{"main title bar", "mouse Close Window"};
        QTest::newRow("musical mouse's title bar last")
            << QStringList{"main title bar", "mouse title bar"};
        QTest::newRow("main window last, after both play windows")
            << QStringList{"noise Close Window", "mouse title bar", "main title bar"};
    }

    // Each step runs from the event loop; the loop must still be running for every step but
    // the last, and must end after it.
    void theProgramEndsWhenItsLastVisibleWindowGoes()
    {
        QFETCH(QStringList, steps);
        tessaro1& main = harness_->loadAndOpen();
        const winmm::HMIDIOUT handle = midi::Devicehandle;
        if (steps.join(' ').contains("noise")) {
            click(main.Noise);
        }
        if (steps.join(' ').contains("mouse")) {
            click(main.Mouse);
        }
        int performed = 0;
        for (int i = 0; i < steps.size(); ++i) {
            QTimer::singleShot(20 * (i + 1), [&, step = steps[i]] {
                perform(step);
                ++performed;
            });
        }
        QTimer::singleShot(watchdog, [] { QCoreApplication::exit(stillRunning); });
        QCOMPARE(QApplication::exec(), ended);
        QCOMPARE(performed, steps.size());
        QVERIFY(midi::finishOutput());
        QCOMPARE(harness_->devices->closed(), std::vector<std::uint32_t>{handle});
    }

    // The musical mouse's "Clear" shows and hides the splash at once: that is no last window.
    void aWindowShownAndHiddenAtOnceDoesNotEndTheProgram()
    {
        tessaro1& main = harness_->loadAndOpen();
        click(main.Mouse);
        main.close();
        QTimer::singleShot(20, [] { click(WindowRegistry::loaded<Zandor>()->Command2); });
        QTimer::singleShot(300, [] { QCoreApplication::exit(stillRunning); });
        QCOMPARE(QApplication::exec(), stillRunning);
        QVERIFY(WindowRegistry::loaded<Zandor>()->isVisible());
    }
};

QTEST_MAIN(ProgramEndTest)
#include "program_end_test.moc"
