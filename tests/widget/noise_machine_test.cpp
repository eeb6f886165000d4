// The noise machine through its real widgets: voices, bars, the four wide buttons and reopening.
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <cmath>

#include "main_window_harness.h"
#include "platform/toolkit/precise_timer.h"
#include "platform/toolkit/random_source.h"
#include "windows/noise/form1.h"

using testsupport::click;
using testsupport::Values;
using toolkit::WindowRegistry;

namespace {

constexpr int generous = 20000;  // ms to wait for ticks on a busy machine

std::uint32_t noteOn(std::uint32_t channel, std::uint32_t note)
{
    return 0x00400090 + channel + (note << 8);
}

bool isAllNotesOff(std::uint32_t value)
{
    return (value & 0xFFFFF0) == 0x007BB0;
}

// All-notes-off messages anywhere in the stream; one STP call sends 16.
std::ptrdiff_t allNotesOffCount(const Values& values)
{
    return std::count_if(values.begin(), values.end(), isAllNotesOff);
}

bool sentOn(const Values& values, std::uint32_t channel)
{
    return std::any_of(values.begin(), values.end(),
                       [channel](std::uint32_t value) { return (value & 0xFF) == 0x90 + channel; });
}

bool endsWith(const Values& values, const Values& tail)
{
    return values.size() >= tail.size() &&
           std::equal(tail.begin(), tail.end(),
                      values.end() - static_cast<std::ptrdiff_t>(tail.size()));
}

// Advances the program's source until its next draw gives a single-precision product r x 127
// of exactly k + 0.5, with k even or odd as asked, and returns k. Only draws whose product in
// double precision lies on the other side of the half qualify, so that a double product would
// give a different note; for even k, so would rounding halves away from zero.
int advanceToAHalf(bool evenBelow)
{
    for (;;) {
        toolkit::RandomSource peek = toolkit::programRandom();
        const float r = peek.next();
        const float product = r * 127.0F;
        const double exact = static_cast<double>(r) * 127.0;
        const double below = std::floor(product);
        const bool even = std::fmod(below, 2.0) == 0.0;
        if (product - below == 0.5F && even == evenBelow && (exact > product) == evenBelow) {
            return static_cast<int>(below);
        }
        toolkit::programRandom().next();
    }
}

}  // namespace

class NoiseMachineTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::MainWindowHarness> harness_;
    tessaro1* main_ = nullptr;

    testsupport::RecordingDevices& devices() { return *harness_->devices; }

    Form1& openNoise()
    {
        main_ = &harness_->loadAndOpen();
        click(main_->Noise);
        return *WindowRegistry::loaded<Form1>();
    }

    static void verifyDesignTimeState(const Form1& noise)
    {
        QCOMPARE(noise.windowTitle(), QString("Form1"));
        QVERIFY(noise.isVisible());
        QCOMPARE(noise.size(), QSize(574, 416));
        for (int i = 0; i < noise::voiceCount; ++i) {
            QCOMPARE(noise.onoff[i]->text(), QString("Off"));
            QCOMPARE(noise.Command4[i]->text(), QString(" "));
            QCOMPARE(noise.Command5[i]->text(), QString(" "));
            QCOMPARE(noise.Speed[i]->orientation(), Qt::Vertical);
            QCOMPARE(noise.Speed[i]->minimum(), 30);
            QCOMPARE(noise.Speed[i]->maximum(), 5000);
            QCOMPARE(noise.Speed[i]->value(), 30);
            QVERIFY(!noise.Timer1[i]->enabled());
            QCOMPARE(noise.Timer1[i]->interval(), 0);
        }
        QCOMPARE(noise.Command6->text(), QString("Let's Hear Some Noise!"));
        QCOMPARE(noise.Command3->text(), QString("STOP"));
        QCOMPARE(noise.Command2->text(), QString("RESET"));
        QCOMPARE(noise.Command1->text(), QString("Close Window"));
    }

private slots:
    void init() { harness_ = std::make_unique<testsupport::MainWindowHarness>(); }
    void cleanup() { harness_.reset(); }

    void opensInItsDesignTimeStateAndSendsNothing()
    {
        verifyDesignTimeState(openNoise());
        QVERIFY(devices().messages().empty());
    }

    void controlsSitAtTheirDesignedPlaces_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("place");
        QTest::newRow("onoff(0)") << "onoff(0)" << QRect(8, 16, 49, 33);
        QTest::newRow("Speed(9)") << "Speed(9)" << QRect(528, 56, 17, 121);
        QTest::newRow("Command4(5)") << "Command4(5)" << QRect(288, 184, 49, 33);
        QTest::newRow("Command5(9)") << "Command5(9)" << QRect(512, 216, 49, 33);
        QTest::newRow("Command6") << "Command6" << QRect(24, 288, 513, 25);
        QTest::newRow("Command1") << "Command1" << QRect(24, 384, 513, 25);
    }

    void controlsSitAtTheirDesignedPlaces()
    {
        QFETCH(QString, control);
        QFETCH(QRect, place);
        auto* widget = openNoise().findChild<QWidget*>(control);
        QVERIFY2(widget != nullptr, qPrintable(control));
        QCOMPARE(widget->geometry(), place);
    }

    void focusChainFollowsTheDesignedTabOrder()
    {
        Form1& noise = openNoise();
        std::vector<QWidget*> order = {noise.onoff[0], noise.Speed[0],    noise.Command2,
                                       noise.Command3, noise.Command4[0], noise.Command5[0]};
        for (int i = 1; i < noise::voiceCount; ++i) {
            order.insert(order.end(),
                         {noise.onoff[i], noise.Speed[i], noise.Command4[i], noise.Command5[i]});
        }
        order.insert(order.end(), {noise.Command1, noise.Command6});
        std::vector<QWidget*> chain;
        for (QWidget* widget = order[0]; chain.size() < order.size();
             widget = widget->nextInFocusChain()) {
            if (widget->focusPolicy() & Qt::TabFocus) {
                chain.push_back(widget);
            }
        }
        QCOMPARE(chain, order);
    }

    void twoClicksOnAVoiceLeaveItOffAndSendNothing_data()
    {
        QTest::addColumn<int>("voice");
        for (int voice : {0, 4, 9}) {
            QTest::newRow(qPrintable(QString("voice %1").arg(voice))) << voice;
        }
    }

    void twoClicksOnAVoiceLeaveItOffAndSendNothing()
    {
        QFETCH(int, voice);
        Form1& noise = openNoise();
        click(noise.onoff[voice]);
        QCOMPARE(noise.onoff[voice]->text(), QString("On"));
        QVERIFY(noise.Timer1[voice]->enabled());
        click(noise.onoff[voice]);
        QCOMPARE(noise.onoff[voice]->text(), QString("Off"));
        QVERIFY(!noise.Timer1[voice]->enabled());
        QVERIFY(devices().messages().empty());
    }

    void switchingAPlayingVoiceOffStopsItWithoutSilencing()
    {
        Form1& noise = openNoise();
        click(noise.onoff[2]);
        QTRY_VERIFY_WITH_TIMEOUT(!devices().values().empty(), generous);
        click(noise.onoff[2]);
        const Values sent = devices().values();
        QCOMPARE(allNotesOffCount(sent), 0);
        QTest::qWait(150);
        QCOMPARE(devices().values(), sent);
    }

    void letsHearSomeNoiseSwitchesEveryVoiceOnAndSendsNothing_data()
    {
        QTest::addColumn<QList<int>>("alreadyOn");
        QTest::newRow("none on") << QList<int>{};
        QTest::newRow("some on") << QList<int>{2, 7};
        QTest::newRow("all on") << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    }

    void letsHearSomeNoiseSwitchesEveryVoiceOnAndSendsNothing()
    {
        QFETCH(QList<int>, alreadyOn);
        Form1& noise = openNoise();
        for (int voice : alreadyOn) {
            click(noise.onoff[voice]);
        }
        click(noise.Command6);
        for (int i = 0; i < noise::voiceCount; ++i) {
            QCOMPARE(noise.onoff[i]->text(), QString("On"));
            QVERIFY(noise.Timer1[i]->enabled());
        }
        QVERIFY(devices().messages().empty());
    }

    void stopSwitchesEveryVoiceOffThenSilencesOnce()
    {
        Form1& noise = openNoise();
        click(noise.Command6);
        QTRY_VERIFY_WITH_TIMEOUT(devices().values().size() >= 30, generous);
        click(noise.Command3);
        const Values sent = devices().values();
        QVERIFY(endsWith(sent, testsupport::sixteenAllNotesOff()));
        QCOMPARE(allNotesOffCount(sent), 16);
        for (int i = 0; i < noise::voiceCount; ++i) {
            QCOMPARE(noise.onoff[i]->text(), QString("Off"));
            QVERIFY(!noise.Timer1[i]->enabled());
        }
        QTest::qWait(150);
        QCOMPARE(devices().values(), sent);
    }

    void resetSilencesAndLeavesEveryVoiceAsItWas()
    {
        Form1& noise = openNoise();
        click(noise.onoff[1]);
        click(noise.onoff[6]);
        noise.Speed[6]->setValue(200);
        noise.Speed[8]->setValue(900);
        click(noise.Command2);
        QCOMPARE(devices().values(), testsupport::sixteenAllNotesOff());
        for (int i = 0; i < noise::voiceCount; ++i) {
            const bool on = i == 1 || i == 6;
            QCOMPARE(noise.onoff[i]->text(), QString(on ? "On" : "Off"));
            QCOMPARE(noise.Timer1[i]->enabled(), on);
        }
        QCOMPARE(noise.Timer1[1]->interval(), 30);
        QCOMPARE(noise.Timer1[6]->interval(), 200);
        QCOMPARE(noise.Timer1[8]->interval(), 900);
        QTRY_VERIFY_WITH_TIMEOUT(devices().values().size() > 16, generous);
    }

    void eachVoicePlaysTheSourcesNotesOnItsOwnChannel_data()
    {
        QTest::addColumn<int>("voice");
        for (int voice = 0; voice < noise::voiceCount; ++voice) {
            QTest::newRow(qPrintable(QString("voice %1").arg(voice))) << voice;
        }
    }

    void eachVoicePlaysTheSourcesNotesOnItsOwnChannel()
    {
        QFETCH(int, voice);
        Form1& noise = openNoise();
        toolkit::RandomSource copy = toolkit::programRandom();
        Values expected;
        for (int tick = 0; tick < 3; ++tick) {
            const float product = copy.next() * 127.0F;
            expected.push_back(noteOn(voice, std::lrint(product)));
        }
        click(noise.onoff[voice]);
        QTRY_VERIFY_WITH_TIMEOUT(devices().values().size() >= expected.size(), generous);
        click(noise.onoff[voice]);
        Values sent = devices().values();
        sent.resize(expected.size());
        QCOMPARE(sent, expected);
    }

    void halvesOfTheSinglePrecisionProductRoundToEven_data()
    {
        QTest::addColumn<bool>("evenBelow");
        QTest::addColumn<int>("above");
        QTest::newRow("even half stays down") << true << 0;
        QTest::newRow("odd half goes up") << false << 1;
    }

    void halvesOfTheSinglePrecisionProductRoundToEven()
    {
        QFETCH(bool, evenBelow);
        QFETCH(int, above);
        Form1& noise = openNoise();
        const int below = advanceToAHalf(evenBelow);
        click(noise.onoff[5]);
        QTRY_VERIFY_WITH_TIMEOUT(!devices().values().empty(), generous);
        click(noise.onoff[5]);
        QCOMPARE(devices().values().front(), noteOn(5, below + above));
    }

    void tenVoicesAtOncePlayNotesZeroTo127OnChannelsZeroToNine()
    {
        Form1& noise = openNoise();
        click(noise.Command6);
        QTRY_VERIFY_WITH_TIMEOUT(devices().values().size() >= 300, generous);
        click(noise.Command3);
        const Values sent = devices().values();
        std::vector<bool> sounded(noise::voiceCount);
        for (auto it = sent.begin(); it != sent.end() - 16; ++it) {
            const std::uint32_t channel = *it & 0xFF;
            QVERIFY(channel >= 0x90 && channel <= 0x99);
            QCOMPARE(*it >> 16, 0x40U);
            QVERIFY(((*it >> 8) & 0xFF) <= 127);
            sounded[channel - 0x90] = true;
        }
        QCOMPARE(std::count(sounded.begin(), sounded.end(), true), 10);
    }

    void barSetsThePeriodWhetherTheVoiceIsOnOrOff_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("period");
        const QList<int> bottom = {Qt::Key_End};
        const QList<int> step = {Qt::Key_Down};
        const QList<int> backToTop = {Qt::Key_End, Qt::Key_Home};
        QTest::newRow("off, to the bottom") << false << bottom << 5000;
        QTest::newRow("on, to the bottom") << true << bottom << 5000;
        QTest::newRow("off, one step down") << false << step << 31;
        QTest::newRow("on, one step down") << true << step << 31;
        QTest::newRow("off, back to the top") << false << backToTop << 30;
        QTest::newRow("on, back to the top") << true << backToTop << 30;
    }

    void barSetsThePeriodWhetherTheVoiceIsOnOrOff()
    {
        QFETCH(bool, on);
        QFETCH(QList<int>, keys);
        QFETCH(int, period);
        Form1& noise = openNoise();
        if (on) {
            click(noise.onoff[3]);
        }
        for (int key : keys) {
            QTest::keyClick(noise.Speed[3], static_cast<Qt::Key>(key));
        }
        QCOMPARE(noise.Speed[3]->value(), period);
        QCOMPARE(noise.Timer1[3]->interval(), period);
        QCOMPARE(noise.Timer1[3]->enabled(), on);
        if (!on) {
            click(noise.onoff[3]);
            QCOMPARE(noise.Timer1[3]->interval(), period);
        }
        click(noise.Command6);
        QCOMPARE(noise.Timer1[3]->interval(), period);
    }

    void voiceSwitchedOnBeforeItsBarMovedPlaysEvery30Ms_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("its own button") << "onoff(4)";
        QTest::newRow("Let's Hear Some Noise!") << "Command6";
    }

    void voiceSwitchedOnBeforeItsBarMovedPlaysEvery30Ms()
    {
        QFETCH(QString, button);
        Form1& noise = openNoise();
        click(noise.findChild<QPushButton*>(button));
        QCOMPARE(noise.Timer1[4]->interval(), 30);
        QVERIFY(noise.Timer1[4]->enabled());
        QTRY_VERIFY_WITH_TIMEOUT(sentOn(devices().values(), 4), generous);
    }

    void closingUnloadsAndTheNextOpenIsInItsDesignTimeState_data()
    {
        QTest::addColumn<bool>("titleBar");
        QTest::newRow("Close Window silences once") << false;
        QTest::newRow("title-bar close sends nothing") << true;
    }

    void closingUnloadsAndTheNextOpenIsInItsDesignTimeState()
    {
        QFETCH(bool, titleBar);
        Form1& noise = openNoise();
        const QPointer<Form1> closed = &noise;
        click(noise.Command6);
        noise.Speed[2]->setValue(4000);
        QTRY_VERIFY_WITH_TIMEOUT(devices().values().size() >= 10, generous);
        Values expected = devices().values();
        if (titleBar) {
            QVERIFY(noise.close());
        } else {
            click(noise.Command1);
            const Values silence = testsupport::sixteenAllNotesOff();
            expected.insert(expected.end(), silence.begin(), silence.end());
        }
        QVERIFY(WindowRegistry::loaded<Form1>() == nullptr);
        QCOMPARE(devices().values(), expected);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(closed.isNull());
        QTest::qWait(150);
        QCOMPARE(devices().values(), expected);

        click(main_->Noise);
        Form1* fresh = WindowRegistry::loaded<Form1>();
        QVERIFY(fresh != nullptr);
        verifyDesignTimeState(*fresh);
    }
};

QTEST_MAIN(NoiseMachineTest)
#include "noise_machine_test.moc"
