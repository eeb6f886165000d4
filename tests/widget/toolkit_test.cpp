// The toolkit services the windows rely on: registry, icon, timers, random source, message box.
#include <QSignalSpy>
#include <QTest>

#include "platform/toolkit/message_box.h"
#include "platform/toolkit/precise_timer.h"
#include "platform/toolkit/program_icon.h"
#include "platform/toolkit/random_source.h"
#include "platform/toolkit/window_registry.h"

using toolkit::WindowRegistry;

class HiddenWindow : public toolkit::Window {
public:
    static constexpr bool visibleAtCreation = false;
    static inline int created = 0;
    HiddenWindow() { ++created; }
};

class ShownWindow : public toolkit::Window {
public:
    static constexpr bool visibleAtCreation = true;
};

class ToolkitTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { WindowRegistry::unloadAll(); }

    void windowIsCreatedOnFirstReferenceOnly()
    {
        HiddenWindow::created = 0;
        QVERIFY(WindowRegistry::loaded<HiddenWindow>() == nullptr);
        HiddenWindow& first = WindowRegistry::window<HiddenWindow>();
        HiddenWindow& again = WindowRegistry::window<HiddenWindow>();
        QCOMPARE(&again, &first);
        QCOMPARE(HiddenWindow::created, 1);
        QVERIFY(!first.isVisible());
        QVERIFY(WindowRegistry::window<ShownWindow>().isVisible());
    }

    // Where no icon theme has the program's icon, as in a run from the build folder, every
    // window shows the one the program draws; the desktop entry the windows belong to is named.
    void everyWindowCarriesTheProgramIcon()
    {
        const QIcon icon = WindowRegistry::window<ShownWindow>().windowIcon();
        QVERIFY(!icon.isNull());
        if (!QIcon::hasThemeIcon("vorlik")) {
            QCOMPARE(icon.pixmap(48).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                     toolkit::drawProgramIcon(48));
        }
        QCOMPARE(QGuiApplication::desktopFileName(), QString("vorlik"));
    }

    void unloadedWindowComesBackFresh()
    {
        QPointer<HiddenWindow> first = &WindowRegistry::window<HiddenWindow>();
        WindowRegistry::unload<HiddenWindow>();
        QVERIFY(WindowRegistry::loaded<HiddenWindow>() == nullptr);
        HiddenWindow& second = WindowRegistry::window<HiddenWindow>();
        QVERIFY(&second != first.data());
        QTRY_VERIFY(first.isNull());
    }

    void titleBarCloseUnloadsTheWindow()
    {
        QPointer<ShownWindow> window = &WindowRegistry::window<ShownWindow>();
        QVERIFY(window->close());
        QVERIFY(WindowRegistry::loaded<ShownWindow>() == nullptr);
        QTRY_VERIFY(window.isNull());
    }

    void unloadAllLeavesNoWindow()
    {
        WindowRegistry::window<HiddenWindow>();
        WindowRegistry::window<ShownWindow>();
        WindowRegistry::unloadAll();
        QVERIFY(WindowRegistry::loaded<HiddenWindow>() == nullptr);
        QVERIFY(WindowRegistry::loaded<ShownWindow>() == nullptr);
    }

    void timerTicksOnlyWhenEnabledWithAPositiveInterval()
    {
        toolkit::PreciseTimer timer;
        QSignalSpy ticks(&timer, &toolkit::PreciseTimer::tick);
        timer.setEnabled(true);
        QTest::qWait(60);
        QCOMPARE(ticks.count(), 0);

        timer.setInterval(5);
        QTRY_VERIFY(ticks.count() >= 2);

        timer.setEnabled(false);
        ticks.clear();
        QTest::qWait(60);
        QCOMPARE(ticks.count(), 0);

        timer.setEnabled(true);
        timer.setInterval(0);
        QTest::qWait(60);
        QCOMPARE(ticks.count(), 0);
    }

    void randomSourceRepeatsItsSequenceWithinZeroToOne()
    {
        toolkit::RandomSource first;
        toolkit::RandomSource second;
        bool sawLow = false;
        bool sawHigh = false;
        for (int draw = 0; draw < 100000; ++draw) {
            const float r = first.next();
            QCOMPARE(second.next(), r);
            QVERIFY(r >= 0.0F && r < 1.0F);
            sawLow = sawLow || r < 0.01F;
            sawHigh = sawHigh || r > 0.99F;
        }
        QVERIFY(sawLow && sawHigh);
    }

    void messageBoxIsSeenByTheObserverWithoutBlocking()
    {
        QStringList shown;
        toolkit::setMessageBoxObserver([&shown](const QString& text) { shown << text; });
        toolkit::showMessageBox(nullptr, "Please select an Output Device");
        toolkit::setMessageBoxObserver({});
        QCOMPARE(shown, QStringList{"Please select an Output Device"});
    }
};

QTEST_MAIN(ToolkitTest)
#include "toolkit_test.moc"
