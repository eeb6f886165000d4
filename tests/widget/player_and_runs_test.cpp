// The channel-1 player and the note runs through the main window's widgets.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "main_window_harness.h"
#include "midi/delay.h"
#include "platform/toolkit/precise_timer.h"
#include "windows/main/note_runs.h"

using testsupport::click;
using testsupport::Values;

namespace {

constexpr std::uint64_t passesPerUnit = 500001;

std::uint32_t noteOn(std::uint32_t channel, std::uint32_t note, std::uint32_t velocity)
{
    return 0x90 + channel + (note << 8) + (velocity << 16);
}

std::uint32_t programChange(std::uint32_t channel, std::uint32_t program)
{
    return 0xC0 + channel + (program << 8);
}

// The messages and the busy-wait passes a run is expected to make from the random source's
// present state, without drawing from it.
struct ExpectedRun {
    Values messages;
    std::uint64_t passes = 0;
};

ExpectedRun expectedRun(NoteRun run, std::uint32_t velocity)
{
    toolkit::RandomSource random = toolkit::programRandom();
    ExpectedRun expected;
    for (int i = 0; i <= 100; ++i) {
        const RunStep step = runStep(run, i, random);
        expected.passes += (step.pause + 1) * passesPerUnit;
        expected.messages.push_back(noteOn(1, step.note, velocity));
    }
    return expected;
}

}  // namespace

class PlayerAndRunsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::MainWindowHarness> harness_;

    testsupport::RecordingDevices& devices() { return *harness_->devices; }

    // Starts the player, lets it send at least `count` messages (or gives up after five
    // seconds), stops it, and gives the first `count`.
    Values firstMessagesOfThePlayer(tessaro1& main, std::size_t count)
    {
        click(main.Channel1);
        const bool sent = QTest::qWaitFor([&] { return devices().values().size() >= count; });
        click(main.Channel1);
        Values values = devices().values();
        if (!sent) {
            return values;
        }
        values.resize(count);
        return values;
    }

private slots:
    void init() { harness_ = std::make_unique<testsupport::MainWindowHarness>(); }
    void cleanup() { harness_.reset(); }

    void playerIsStoppedWithEmptyValueLabelsAtLoad()
    {
        tessaro1& main = harness_->load();
        QVERIFY(!main.Timer1->enabled());
        QCOMPARE(main.Timer1->interval(), 0);
        QCOMPARE(main.Channel1->text(), QString("Play Channel 1"));
        QCOMPARE(main.Label7->text(), QString("Tempo          (miliseconds between notes)"));
        for (QLabel* label : {main.LPatch, main.LNote, main.Ltempo}) {
            QVERIFY(label->text().isEmpty());
        }
        QCOMPARE(main.channel1P->value(), 0);
        QCOMPARE(main.Channel1N->value(), 0);
        QCOMPARE(main.Channel1T->value(), 30);
        QCOMPARE(main.Channel1T->maximum(), 5000);
        QCOMPARE(main.Channel1N->maximum(), 100);
        QCOMPARE(main.channel1P->maximum(), 127);
    }

    void firstTickSendsThreeMessagesAndLaterTicksFour()
    {
        tessaro1& main = harness_->loadAndOpen();
        main.Channel1N->setValue(60);
        main.channel1P->setValue(5);
        QCOMPARE(main.LNote->text(), QString("60"));
        QCOMPARE(main.LPatch->text(), QString("5"));
        QVERIFY(devices().values().empty());
        const Values firstTick = {noteOn(1, 60, 64), programChange(0, 5), programChange(0, 6)};
        const Values laterTick = {noteOn(1, 60, 64), programChange(0, 5), programChange(0, 1),
                                  programChange(0, 6)};
        Values expected = firstTick;
        expected.insert(expected.end(), laterTick.begin(), laterTick.end());
        expected.insert(expected.end(), laterTick.begin(), laterTick.end());
        QCOMPARE(firstMessagesOfThePlayer(main, expected.size()), expected);
        QVERIFY(!main.Timer1->enabled());
    }

    void programZeroSendsOnlyTheNoteAndProgramZero()
    {
        tessaro1& main = harness_->loadAndOpen();
        const Values tick = {noteOn(1, 0, 64), programChange(0, 0)};
        QCOMPARE(firstMessagesOfThePlayer(main, 6),
                 (Values{tick[0], tick[1], tick[0], tick[1], tick[0], tick[1]}));
        QCOMPARE(main.Programscroll->value(), 1);
    }

    void playerIgnoresTheVolumeBar()
    {
        tessaro1& main = harness_->loadAndOpen();
        main.Volumescroll->setValue(3);
        devices().clear();
        QCOMPARE(firstMessagesOfThePlayer(main, 1), Values{noteOn(1, 0, 64)});
    }

    void tempoBarSetsTheIntervalWhetherRunningOrNot()
    {
        tessaro1& main = harness_->load();
        main.Channel1T->setValue(500);
        QCOMPARE(main.Ltempo->text(), QString("500"));
        QCOMPARE(main.Timer1->interval(), 500);
        QVERIFY(!main.Timer1->enabled());

        click(main.Channel1);
        QVERIFY(main.Timer1->enabled());
        QCOMPARE(main.Timer1->interval(), 500);
        main.Channel1T->setValue(5000);
        QCOMPARE(main.Timer1->interval(), 5000);
        QVERIFY(main.Timer1->enabled());
        click(main.Channel1);
        QVERIFY(!main.Timer1->enabled());
    }

    void untouchedTempoBarRunsThePlayerAt30Milliseconds()
    {
        tessaro1& main = harness_->load();
        click(main.Channel1);
        QCOMPARE(main.Timer1->interval(), 30);
        QVERIFY(main.Ltempo->text().isEmpty());
    }

    void stopSilencesButDoesNotStopThePlayer()
    {
        tessaro1& main = harness_->loadAndOpen();
        main.Channel1N->setValue(42);
        click(main.Channel1);
        QTRY_VERIFY(!devices().values().empty());
        click(main.Command4);
        QVERIFY(main.Timer1->enabled());
        const std::size_t afterStop = devices().values().size();
        QTRY_VERIFY(devices().values().size() > afterStop);
        click(main.Channel1);
        QCOMPARE(devices().values()[afterStop], noteOn(1, 42, 64));
    }

    void runsPlayTheirNotesAtTheVolumeBarsVelocityAfterTheirPauses_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<NoteRun>("run");
        QTest::newRow("Fast") << "Fast" << NoteRun::fast;
        QTest::newRow("Slow") << "Slow" << NoteRun::slow;
        QTest::newRow("Random 1") << "Random1" << NoteRun::random1;
        QTest::newRow("Random 2") << "Random2" << NoteRun::random2;
        QTest::newRow("Random 3") << "Random3" << NoteRun::random3;
    }

    void runsPlayTheirNotesAtTheVolumeBarsVelocityAfterTheirPauses()
    {
        QFETCH(QString, button);
        QFETCH(NoteRun, run);
        tessaro1& main = harness_->loadAndOpen();
        main.Volumescroll->setValue(100);
        devices().clear();
        const ExpectedRun expected = expectedRun(run, 100);
        const std::uint64_t passesBefore = midi::delayPasses;
        click(main.findChild<QPushButton*>(button));
        QCOMPARE(devices().values(), expected.messages);
        QCOMPARE(midi::delayPasses - passesBefore, expected.passes);
    }

    void fastAndSlowPlayNotesZeroToHundredInOrder()
    {
        tessaro1& main = harness_->loadAndOpen();
        Values ascending;
        for (std::uint32_t note = 0; note <= 100; ++note) {
            ascending.push_back(noteOn(1, note, 0));
        }
        main.Volumescroll->setValue(0);
        devices().clear();
        click(main.Fast);
        QCOMPARE(devices().values(), ascending);
        devices().clear();
        click(main.Slow);
        QCOMPARE(devices().values(), ascending);
    }

    void testPlaysThreeChannelsAtVelocity64AndEndsWithAllNotesOff()
    {
        tessaro1& main = harness_->loadAndOpen();
        main.Volumescroll->setValue(10);
        devices().clear();
        toolkit::RandomSource random = toolkit::programRandom();
        const float x1 = unroundedProgramDraw(random);
        const float x2 = unroundedProgramDraw(random);
        const int x3 = roundedProgramDraw(random);

        click(main.Test);

        const Values sent = devices().values();
        const auto firstNote = std::find_if(sent.begin(), sent.end(),
                                            [](std::uint32_t v) { return (v & 0xF0) == 0x90; });
        const Values programs(sent.begin(), firstNote);
        QCOMPARE(programs.front(), programChange(0, std::lrint(playableProgram(x1))));
        QVERIFY(std::count(programs.begin(), programs.end(),
                           programChange(1, std::lrint(playableProgram(x2)))) == 1);
        QVERIFY(std::count(programs.begin(), programs.end(),
                           programChange(2, std::lrint(playableProgram(x3)))) == 1);
        for (std::uint32_t program : programs) {
            QCOMPARE(program & 0xF0, 0xC0U);
        }

        Values notesAndSilence(firstNote, sent.end());
        Values expected;
        for (std::uint32_t note = 0; note <= 100; ++note) {
            for (std::uint32_t channel : {1U, 2U, 3U}) {
                expected.push_back(noteOn(channel, note, 64));
            }
        }
        const Values silence = testsupport::sixteenAllNotesOff();
        expected.insert(expected.end(), silence.begin(), silence.end());
        QCOMPARE(notesAndSilence, expected);
        QCOMPARE(main.Text1->text(), QString::number(x1, 'g', 7) + ' ' +
                                         QString::number(x2, 'g', 7) + ' ' + QString::number(x3));
    }
};

QTEST_MAIN(PlayerAndRunsTest)
#include "player_and_runs_test.moc"
