// Start-up and the splash window's hand-over to the main window, through the real widgets.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "platform/toolkit/window_registry.h"
#include "platform/toolkit/window_system.h"
#include "support/recording_devices.h"
#include "windows/main/tessaro1.h"
#include "windows/splash/frm_splash.h"
#include "windows/splash/startup.h"

using testsupport::RecordingDevices;
using toolkit::WindowRegistry;

class SplashTest : public QObject {
    Q_OBJECT

    std::unique_ptr<RecordingDevices> devices_;

    frmSplash& start()
    {
        startProgram();
        frmSplash* splash = WindowRegistry::loaded<frmSplash>();
        return *splash;
    }

    void verifyHandedOver()
    {
        QVERIFY(WindowRegistry::loaded<frmSplash>() == nullptr);
        tessaro1* main = WindowRegistry::loaded<tessaro1>();
        QVERIFY(main != nullptr);
        QVERIFY(main->isVisible());
        QCOMPARE(devices_->enumerations(), 1);
        QCOMPARE(main->List3->count(), 2);
        QCOMPARE(main->List3->item(1)->text(), QString("second"));
        QCOMPARE(main->Text1->text(), QString("00642A90"));
        QCOMPARE(main->Volumescroll->value(), 64);
        QCOMPARE(main->Program->text(), QString("1"));
        QVERIFY(devices_->opened().empty());
    }

    void verifyStillSplash()
    {
        QVERIFY(WindowRegistry::loaded<frmSplash>() != nullptr);
        QVERIFY(WindowRegistry::loaded<frmSplash>()->isVisible());
        QVERIFY(WindowRegistry::loaded<tessaro1>() == nullptr);
        QCOMPARE(devices_->enumerations(), 0);
    }

private slots:
    void init()
    {
        devices_ = std::make_unique<RecordingDevices>(std::vector<std::string>{"first", "second"});
    }

    void cleanup()
    {
        WindowRegistry::unloadAll();
        devices_.reset();
    }

    void startShowsOnlyTheSplashAndTouchesNoDevice()
    {
        frmSplash& splash = start();
        QVERIFY(splash.isVisible());
        QVERIFY(splash.windowTitle().isEmpty());
        QCOMPARE(splash.size(), QSize(492, 368));
        QVERIFY(splash.windowFlags() & Qt::Tool);
        QVERIFY(!(splash.windowFlags() & Qt::WindowTitleHint));
        QVERIFY(!(splash.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(splash.lblCompanyProduct->text(), QString("Tormelin"));
        QCOMPARE(splash.lblVersion->text(), QString("Version 3.0"));
        QCOMPARE(splash.lblVersion->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        QCOMPARE(splash.lblVersion->font().pointSize(), 12);
        QCOMPARE(splash.lblCompanyProduct->font().pointSize(), 18);
        QVERIFY(splash.lblCompanyProduct->font().bold());
        QCOMPARE(splash.lblCompanyProduct->font().family(), QString("Arial"));
        QCOMPARE(splash.Image1->geometry(), QRect(-24, 24, 155, 306));
        QCOMPARE(splash.Image2->geometry(), QRect(328, 24, 155, 306));
        QCOMPARE(splash.Image1->pixmap().size(), QSize(155, 306));
        QVERIFY(splash.Frame1->title().isEmpty());
        verifyStillSplash();
    }

    // On Wayland nothing would draw the border but Qt's title bar with its buttons, so the
    // splash is frameless there and draws its own along its edge; on X11 the window manager
    // draws it.
    void splashDrawsItsOwnBorderOnlyOnWayland()
    {
        frmSplash& splash = start();
        const bool ownBorder = toolkit::onWayland();
        QCOMPARE(splash.windowFlags().testFlag(Qt::FramelessWindowHint), ownBorder);
        const QImage look = splash.grab().toImage();
        const QColor margin = QApplication::palette("QMenu").color(QPalette::WindowText);
        for (const QPoint edge : {QPoint(0, 0), QPoint(491, 200), QPoint(200, 367)}) {
            QCOMPARE(look.pixelColor(edge) != margin, ownBorder);
        }
        QCOMPARE(look.pixelColor(1, 1), margin);
    }

    // Two pixmaps loaded from the file each decode it and differ in cache key.
    void pictureIsDecodedOnceForBothControls()
    {
        frmSplash& splash = start();
        QCOMPARE(splash.Image1->pixmap().cacheKey(), splash.Image2->pixmap().cacheKey());
    }

    void characterKeysHandOver_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("letter") << int(Qt::Key_A);
        QTest::newRow("space") << int(Qt::Key_Space);
        QTest::newRow("enter") << int(Qt::Key_Return);
    }

    void characterKeysHandOver()
    {
        QFETCH(int, key);
        frmSplash& splash = start();
        QTest::keyClick(&splash, static_cast<Qt::Key>(key));
        verifyHandedOver();
    }

    void keysThatTypeNothingDoNotHandOver()
    {
        frmSplash& splash = start();
        QTest::keyClick(&splash, Qt::Key_Shift);
        QTest::keyClick(&splash, Qt::Key_F5);
        verifyStillSplash();
    }

    void clickOnTheFrameHandsOver()
    {
        frmSplash& splash = start();
        QTest::mouseClick(splash.Frame1, Qt::LeftButton, {}, QPoint(230, 250));
        verifyHandedOver();
    }

    // A press alone, of any button, once handed over; only a press and release on the frame do.
    void pressOnTheFrameWithoutReleaseDoesNotHandOver()
    {
        frmSplash& splash = start();
        QTest::mousePress(splash.Frame1, Qt::RightButton, {}, QPoint(230, 250));
        verifyStillSplash();
        QTest::mouseRelease(splash.Frame1, Qt::RightButton, {}, QPoint(230, 250));
        verifyHandedOver();
    }

    void releaseOutsideTheFrameDoesNotHandOver()
    {
        frmSplash& splash = start();
        QTest::mousePress(splash.Frame1, Qt::LeftButton, {}, QPoint(230, 250));
        QTest::mouseRelease(splash.Frame1, Qt::LeftButton, {}, QPoint(-5, -5));
        verifyStillSplash();
    }

    void clicksOnPicturesLabelsAndMarginDoNothing()
    {
        frmSplash& splash = start();
        for (QWidget* inert : std::initializer_list<QWidget*>{
                 splash.Image1, splash.Image2, splash.lblVersion, splash.lblCompanyProduct}) {
            QTest::mouseClick(inert, Qt::LeftButton, {}, QPoint(20, 10));
            verifyStillSplash();
        }
        QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(3, 3));
        verifyStillSplash();
    }

    // The program's event loop ends when the main window closes, though a hidden splash is
    // still loaded.
    void hiddenSplashDoesNotKeepTheProgramRunning()
    {
        constexpr int ended = 0;
        constexpr int stillRunning = 1;
        frmSplash& splash = start();
        QTest::keyClick(&splash, Qt::Key_A);
        WindowRegistry::window<frmSplash>().hide();
        QVERIFY(WindowRegistry::loaded<frmSplash>() != nullptr);
        QTimer::singleShot(0, [] { WindowRegistry::loaded<tessaro1>()->close(); });
        QTimer::singleShot(10000, [] { QCoreApplication::exit(stillRunning); });
        QCOMPARE(QApplication::exec(), ended);
    }
};

QTEST_MAIN(SplashTest)
#include "splash_test.moc"
