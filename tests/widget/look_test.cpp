// The windows' look: no caption of any window is cut (every label's, button's and frame's text
// fits the room the window gives it, in the program's font), frames carry their caption in their
// border line, and the thumbs of short bars leave them room to travel.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>
#include <QTest>

#include "main_window_harness.h"
#include "windows/mouse/zandor.h"
#include "windows/noise/form1.h"
#include "windows/splash/frm_splash.h"

using toolkit::WindowRegistry;

namespace {

// Whether text drawn with these flags into the room stays inside it.
bool fits(const QFontMetrics& metrics, const QRect& room, int flags, const QString& text)
{
    return room.contains(metrics.boundingRect(room, flags, text));
}

bool fits(const QLabel& label)
{
    const int wrap = label.wordWrap() ? Qt::TextWordWrap : 0;
    return fits(label.fontMetrics(), label.contentsRect(), int(label.alignment()) | wrap,
                label.text());
}

// Buttons wrap their caption in what the style leaves for contents.
bool fits(const QPushButton& button)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    const QRect room =
        button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    return fits(button.fontMetrics(), room, Qt::AlignCenter | Qt::TextWordWrap, button.text());
}

bool fits(const QRadioButton& option)
{
    return option.sizeHint().width() <= option.width();
}

bool fits(const QGroupBox& frame)
{
    QStyleOptionGroupBox option;
    option.initFrom(&frame);
    option.text = frame.title();
    const QRect caption = frame.style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                        QStyle::SC_GroupBoxLabel, &frame);
    return frame.title().isEmpty() || frame.rect().contains(caption);
}

// "Window.Control: text" for every control of these kinds whose caption is cut.
template <class... Controls>
QStringList cutCaptions(const QWidget& window)
{
    QStringList cut;
    const auto check = [&](auto* control) {
        if (!fits(*control)) {
            cut << window.objectName() + "." + control->objectName();
        }
    };
    (..., [&] {
        for (auto* control : window.findChildren<Controls*>()) {
            check(control);
        }
    }());
    return cut;
}

}  // namespace

class LookTest : public QObject {
    Q_OBJECT

private slots:
    void everyCaptionFitsItsControl_data()
    {
        QTest::addColumn<QString>("window");
        for (const char* window : {"tessaro1", "Form1", "Zandor", "frmSplash"}) {
            QTest::newRow(window) << window;
        }
    }

    void everyCaptionFitsItsControl()
    {
        QFETCH(QString, window);
        testsupport::MainWindowHarness harness;
        harness.load();
        QWidget* shown = &harness.window();
        if (window == "Form1") {
            shown = &WindowRegistry::window<Form1>();
        } else if (window == "Zandor") {
            shown = &WindowRegistry::window<Zandor>();
        } else if (window == "frmSplash") {
            shown = &WindowRegistry::window<frmSplash>();
        }
        shown->setObjectName(window);
        const QStringList cut = cutCaptions<QLabel, QPushButton, QRadioButton, QGroupBox>(*shown);
        QVERIFY2(cut.isEmpty(), qPrintable("cut: " + cut.join(", ")));
    }

    // The border runs through the caption's middle, so that what sits just below the frame's
    // top, such as "Play Channel 1", is inside the border.
    void framesCarryTheirCaptionInTheirBorderLine()
    {
        testsupport::MainWindowHarness harness;
        QGroupBox& frame = *harness.load().Frame4;
        QStyleOptionGroupBox option;
        option.initFrom(&frame);
        option.text = frame.title();
        const auto rect = [&](QStyle::SubControl part) {
            return frame.style()->subControlRect(QStyle::CC_GroupBox, &option, part, &frame);
        };
        const QRect caption = rect(QStyle::SC_GroupBoxLabel);
        QCOMPARE(caption.top(), 0);
        QCOMPARE(rect(QStyle::SC_GroupBoxFrame).top(), caption.height() / 2);
    }

    // On the 65-px program and channel bars the thumb once took 26 of the 31 px left by the
    // arrows.
    void shortBarsLeaveTheirThumbRoomToTravel()
    {
        testsupport::MainWindowHarness harness;
        tessaro1& main = harness.load();
        for (QScrollBar* bar : {main.Programscroll, main.Channelscroll}) {
            QStyleOptionSlider option;
            option.initFrom(bar);
            option.orientation = bar->orientation();
            option.minimum = bar->minimum();
            option.maximum = bar->maximum();
            option.sliderPosition = bar->value();
            option.pageStep = bar->pageStep();
            option.subControls = QStyle::SC_All;
            const auto rect = [&](QStyle::SubControl part) {
                return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
            };
            const int travel =
                rect(QStyle::SC_ScrollBarGroove).width() - rect(QStyle::SC_ScrollBarSlider).width();
            QVERIFY2(travel >= 20, qPrintable(bar->objectName() + ": " + QString::number(travel)));
        }
    }
};

QTEST_MAIN(LookTest)
#include "look_test.moc"
