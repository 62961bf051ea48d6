// What a clock tick, a key or a click may do while the drill or the result screen lets events
// run: a message box that really blocks, a sound that takes its time, the cover at the end of a
// run. Also the keys a pupil presses on a focused button, and a level that may not start.

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "drill/give_up.h"
#include "records/score_record_file.h"
#include "support/drill_harness.h"
#include "support/fake_services.h"
#include "support/test_support.h"
#include "support/typing.h"
#include "ui/drill/formula_view.h"
#include "ui/result/frmsyuuryou.h"
#include "ui/drill/mainfrm.h"
#include "ui/shell/program.h"

using namespace kagaku;
namespace fs = std::filesystem;

namespace {

constexpr int kPupil = 12;

// Level 2 with a time-out of five seconds, its clock ticking every 20 ms.
template <typename Harness>
ui::MainFrm* StartShortDrill(Harness& h) {
    h.program->StartDrillFor(kPupil, "山田 花子", 2);
    h.editedLevelSettings().MinimumTime[2] = 1;
    h.program->StartDrill(2);
    ui::MainFrm* drill = h.Drill();
    if (drill != nullptr)
        drill->ClockTimer().setInterval(20);
    return drill;
}

template <typename Boxes, typename Sound>
using Harness = testing::DrillHarness<Boxes, Sound>;

QPushButton* ButtonOf(QWidget* screen, const char* name) {
    return screen->findChild<QPushButton*>(name);
}

// Calls a function when a widget is about to close.
class OnClose final : public QObject {
public:
    OnClose(QWidget* widget, std::function<void()> f) : QObject(widget), f_(std::move(f)) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close && f_)
            std::exchange(f_, nullptr)();
        return false;
    }

private:
    std::function<void()> f_;
};

}  // namespace

class DrillInterruptionsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The give-up box stays open past the time-out while the clock ticks beneath it. The clock
    // goes on counting, but the run does not end beneath the box: a run given up records
    // nothing and goes back to the menu; a give-up refused (five already today) ends the run
    // with one time-out record once the box is answered. The drill screen is deleted only
    // after the box's loop has ended (the sanitizer build catches a use after free).
    void giveUpBoxOpenWhenTimeRunsOut_data() {
        QTest::addColumn<int>("giveUpsBefore");
        QTest::addColumn<bool>("givenUp");
        QTest::newRow("given up") << 0 << true;
        QTest::newRow("refused, run goes on") << 5 << false;
    }
    void giveUpBoxOpenWhenTimeRunsOut() {
        QFETCH(int, giveUpsBefore);
        QFETCH(bool, givenUp);
        Harness<testing::BlockingMessageBoxes, testing::FakeSoundDevice> h{TimeOfDay{10, 0, 0}};
        QPointer<ui::MainFrm> drill = StartShortDrill(h);
        QVERIFY(drill != nullptr);
        for (int i = 0; i < giveUpsBefore; ++i)
            AppendGiveUp(h.GiveUpLog(kPupil), h.clock.TodayDate());
        const std::size_t before = h.Records().Count();
        QString clockWhileOpen;
        bool endingWhileOpen = true;
        h.messages.whileOpen = [&] {
            h.clock.AdvanceSeconds(10);  // well past the five-second time-out
            QTimer::singleShot(200, qApp, [&] {
                clockWhileOpen = drill ? drill->findChild<QLabel*>("Label8")->text() : "gone";
                endingWhileOpen = h.run().RunEnding == 1;
            });
        };
        h.clock.AdvanceSeconds(1.5);
        QTest::mouseClick(ButtonOf(drill, "Command10"), Qt::LeftButton);

        QCOMPARE(h.messages.shown().size(), std::size_t{1});
        QCOMPARE(clockWhileOpen, QStringLiteral("12"));  // the clock kept counting
        QVERIFY(!endingWhileOpen);
        if (givenUp) {
            QTRY_VERIFY(h.BackAtMenu());
            QCOMPARE(h.Records().Count(), before);
            QCOMPARE(CountGiveUpsToday(h.GiveUpLog(kPupil), h.clock.TodayDate()), 1);
        } else {
            QTRY_VERIFY(h.Result() != nullptr);
            QCOMPARE(h.Records().Count(), before + 1);
            QCOMPARE(h.LastSeconds(), 99999);
            QCOMPARE(CountGiveUpsToday(h.GiveUpLog(kPupil), h.clock.TodayDate()), 5);
        }
        QTRY_VERIFY(drill.isNull());  // closed screens do go away
    }

    // The time-out falls while the sound of a correct answer plays: the run ends once, after
    // the sound, with a time-out record.
    void timeOutDuringASoundEndsTheRunOnceAfterIt() {
        Harness<testing::FakeMessageBoxes, testing::WaitingSoundDevice> h{TimeOfDay{10, 0, 0}};
        ui::MainFrm* drill = StartShortDrill(h);
        QVERIFY(drill != nullptr);
        const std::size_t before = h.Records().Count();
        bool endedDuringSound = true;
        h.sound.whilePlaying = [&] { h.clock.AdvanceSeconds(10); };
        h.sound.afterPlaying = [&] {
            endedDuringSound = h.run().RunEnding == 1;
            h.sound.afterPlaying = nullptr;
        };
        testing::TypeAnswer(drill, drill->Drill()->CorrectAnswer());
        QTest::keyClick(drill, Qt::Key_Return);
        QVERIFY(!endedDuringSound);
        QTRY_VERIFY(h.Result() != nullptr);
        QCOMPARE(h.Records().Count(), before + 1);
        QCOMPARE(h.LastSeconds(), 99999);
    }

    // The last answer completes the run; a tick that would fall while the cover lets events run
    // (the clock now past the limit) neither changes the time nor turns it into a time-out.
    void lateTickCannotTimeOutACompletedRun() {
        Harness<testing::FakeMessageBoxes, testing::FakeSoundDevice> h{TimeOfDay{10, 0, 0}};
        ui::MainFrm* drill = StartShortDrill(h);
        QVERIFY(drill != nullptr);
        const std::size_t before = h.Records().Count();
        h.clock.AdvanceSeconds(3);
        while (true) {
            const TimedDrill& run = *drill->Drill();
            const bool last = run.CompletedCount() == run.ProblemCount() - 1 &&
                              run.Progress(run.CurrentProblem()) == 1;
            testing::TypeAnswer(drill, run.CorrectAnswer());
            if (last) {
                // Both fire at the first chance events get: the clock jumps past the limit,
                // and the drill's clock ticks.
                drill->ClockTimer().start(0);
                QTimer::singleShot(0, qApp, [&] { h.clock.AdvanceSeconds(60); });
                QTest::keyClick(drill, Qt::Key_Return);
                break;
            }
            QTest::keyClick(drill, Qt::Key_Return);
        }
        QTRY_VERIFY(h.Result() != nullptr);
        QCOMPARE(h.Records().Count(), before + 1);
        QCOMPARE(h.LastSeconds(), 3);
        QCOMPARE(int{h.run().TimedOut}, 0);
    }

    // The result screen's buttons come half a second after the evaluation but never while a
    // sound plays; a longer sound brings them as soon as it ends. Enter then presses the
    // focused "メニューへ".
    void resultButtonsComeAsSoonAsTheSoundsEnd() {
        Harness<testing::FakeMessageBoxes, testing::WaitingSoundDevice> h{TimeOfDay{10, 0, 0}};
        h.program->StartDrillFor(kPupil, "山田 花子", 2);
        QVERIFY(h.Drill() != nullptr);
        h.Drill()->close();
        CurrentRun& run = h.run();
        run.ResultTime = 20;
        run.TimedOut = 0;
        run.NewAllTimeBest = 1;  // the best-of-all sound plays
        h.sound.playMilliseconds = 800;
        bool shownDuringSound = true;
        h.sound.afterPlaying = [&] {
            shownDuringSound = h.Result() != nullptr && ButtonOf(h.Result(), "Command4")->isVisible();
        };
        h.program->ShowBaseScreen();
        bool shownWhenEvaluationEnds = false;
        QWidget* base = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == "BASEFRM" && w->isVisible())
                base = w;
        }
        QVERIFY(base != nullptr);
        new OnClose(base, [&] {
            shownWhenEvaluationEnds = ButtonOf(h.Result(), "Command4")->isVisible();
        });
        h.program->ShowResultScreen();
        ui::FrmSyuuryou* result = h.Result();
        QTRY_VERIFY(!base->isVisible());
        QCOMPARE(h.sound.played().size(), std::size_t{1});
        QVERIFY(!shownDuringSound);
        QVERIFY(shownWhenEvaluationEnds);

        QTRY_VERIFY(ButtonOf(result, "Command4")->hasFocus());
        QTest::keyClick(ButtonOf(result, "Command4"), Qt::Key_Return);
        QTRY_VERIFY(h.BackAtMenu());
    }

    // On the practice screen Enter presses whichever button has the focus, as a pupil expects.
    void enterPressesTheFocusedPracticeButton() {
        Harness<testing::FakeMessageBoxes, testing::FakeSoundDevice> h{TimeOfDay{10, 0, 0}};
        h.program->StartDrillFor(kPupil, "山田 花子", 1);
        ui::MainFrm* drill = h.Drill();
        QVERIFY(drill != nullptr);
        QPushButton* answer = ButtonOf(drill, "Command7");
        answer->setFocus();
        QVERIFY(drill->findChild<ui::FormulaView*>("Picture1")->Formula().empty());
        QTest::keyClick(answer, Qt::Key_Return);
        QVERIFY(!drill->findChild<ui::FormulaView*>("Picture1")->Formula().empty());
        const int index = drill->Practice()->PracticeIndex();
        QPushButton* next = ButtonOf(drill, "Command6");
        next->setFocus();
        QTest::keyClick(next, Qt::Key_Enter);
        QCOMPARE(drill->Practice()->PracticeIndex(), index + 1);
    }

    // A timed level without a usable minimum or target time is refused with a message naming
    // the level and the setting; nothing starts and nothing is recorded.
    void levelWithoutTimesIsRefused_data() {
        QTest::addColumn<bool>("target");
        QTest::addColumn<QString>("named");
        QTest::newRow("minimum time 0") << false << QStringLiteral("レベル4の最低Time");
        QTest::newRow("target time 0") << true << QStringLiteral("レベル4の目標Time");
    }
    void levelWithoutTimesIsRefused() {
        QFETCH(bool, target);
        QFETCH(QString, named);
        Harness<testing::FakeMessageBoxes, testing::FakeSoundDevice> h{TimeOfDay{10, 0, 0}};
        h.program->StartDrillFor(kPupil, "山田 花子", 2);
        (target ? h.editedLevelSettings().TargetTime : h.editedLevelSettings().MinimumTime)[4] = 0;
        const std::size_t before = h.Records().Count();
        h.program->StartDrill(4);
        QVERIFY(h.BackAtMenu());
        QCOMPARE(h.messages.shown().size(), std::size_t{1});
        QVERIFY2(h.messages.shown()[0].text.contains(named),
                 qPrintable(h.messages.shown()[0].text));
        QCOMPARE(h.Records().Count(), before);
    }
};

QTEST_MAIN(DrillInterruptionsTest)
#include "drill_interruptions_test.moc"
