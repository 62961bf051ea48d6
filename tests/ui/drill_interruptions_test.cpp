// What a clock tick, a key or a click may do while the drill or the result screen lets events
// run: a message box that really blocks, a sound that takes its time, the cover at the end of a
// run. Also the keys a pupil presses on a focused button, and a level that may not start.

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <vector>

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

// Answers every question of the run right, each once its cue has ended; beforeLast runs just
// before the last answer is given.
template <typename Harness>
bool AnswerWholeRun(Harness& h, ui::MainFrm* drill, const std::function<void()>& beforeLast) {
    QPointer<ui::MainFrm> guard(drill);
    for (int answers = 0; answers <= 2 * drill->Drill()->ProblemCount(); ++answers) {
        if (!QTest::qWaitFor([&] { return guard.isNull() || guard->TakesKeys(); }, 5000))
            return false;
        if (guard.isNull() || guard->Drill()->AllDone())
            return true;
        const TimedDrill& run = *guard->Drill();
        const bool last = run.CompletedCount() == run.ProblemCount() - 1 &&
                          run.Progress(run.CurrentProblem()) == 1;
        testing::TypeAnswer(guard, run.CorrectAnswer());
        if (last && beforeLast)
            beforeLast();
        QTest::keyClick(guard, Qt::Key_Return);
        if (last)
            return true;
    }
    Q_UNUSED(h);
    return false;
}

// Another PC holding the score file's writers' lock until it is stopped.
class LockHolder {
public:
    explicit LockHolder(const fs::path& file) {
        process_.start(QStringLiteral(KAGAKU_HELPER_append_helper),
                       {QStringLiteral("hold"), QString::fromStdString(file.string()),
                        QStringLiteral("60000")});
        locked_ = process_.waitForReadyRead(10000) &&
                  process_.readLine().trimmed() == QByteArrayLiteral("locked");
    }
    ~LockHolder() { Release(); }
    bool Locked() const { return locked_; }
    void Release() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }

private:
    QProcess process_;
    bool locked_ = false;
};

// Counts what a drill screen announces.
struct Announced {
    std::vector<CurrentRun> finished;
    int givenUp = 0;
    explicit Announced(ui::MainFrm* drill) {
        QObject::connect(drill, &ui::MainFrm::runFinished, &context,
                         [this](const CurrentRun& run) { finished.push_back(run); });
        QObject::connect(drill, &ui::MainFrm::runGivenUp, &context, [this] { ++givenUp; });
    }
    QObject context;
};

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
    // with one time-out record once the box is answered. The closed drill screen goes away
    // (the sanitizer build catches a use after free of it by the box's answer).
    void giveUpBoxOpenWhenTimeRunsOut_data() {
        QTest::addColumn<int>("giveUpsBefore");
        QTest::addColumn<bool>("givenUp");
        QTest::newRow("given up") << 0 << true;
        QTest::newRow("refused, run goes on") << 5 << false;
    }
    void giveUpBoxOpenWhenTimeRunsOut() {
        QFETCH(int, giveUpsBefore);
        QFETCH(bool, givenUp);
        Harness<testing::SelfAnsweringMessageBoxes, testing::FakeSoundDevice> h{TimeOfDay{10, 0, 0}};
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
                endingWhileOpen = drill && drill->Run().RunEnding == 1;
            });
        };
        h.clock.AdvanceSeconds(1.5);
        QTest::mouseClick(ButtonOf(drill, "Command10"), Qt::LeftButton);

        QCOMPARE(h.messages.shown().size(), std::size_t{1});
        // The box opened and the click's handler returned; the test lets the loop run.
        QTRY_VERIFY(!clockWhileOpen.isEmpty());
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
        bool soundEnded = false;
        h.sound.whilePlaying = [&] { h.clock.AdvanceSeconds(10); };
        h.sound.afterPlaying = [&] {
            endedDuringSound = drill->Run().RunEnding == 1;
            soundEnded = true;
            h.sound.afterPlaying = nullptr;
        };
        testing::TypeAnswer(drill, drill->Drill()->CorrectAnswer());
        QTest::keyClick(drill, Qt::Key_Return);
        QTRY_VERIFY(soundEnded);  // the ticks of the clock fell while it played
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

    // How the run stood when the drill screen announced its end, once: a completed run's time
    // is taken at its last answer, so the cue of that answer, however long, can neither add to
    // it nor turn the run into a time-out when the limit passes while it plays.
    void runFinishedTellsHowTheRunStood_data() {
        QTest::addColumn<double>("secondsBeforeLast");  // < 0: no answer, the time runs out
        QTest::addColumn<double>("duringLastCue");      // the clock moves on while it plays
        QTest::addColumn<int>("timedOut");
        QTest::addColumn<int>("elapsed");
        QTest::addColumn<int>("recorded");
        QTest::newRow("completed: the time of the last answer") << 3.2 << 0.0 << 0 << 3 << 3;
        QTest::newRow("completed, its last cue outlasting the limit")
            << 3.2 << 60.0 << 0 << 3 << 3;
        QTest::newRow("timed out: no time") << -1.0 << 0.0 << 1 << 5 << 99999;
    }
    void runFinishedTellsHowTheRunStood() {
        QFETCH(double, secondsBeforeLast);
        QFETCH(double, duringLastCue);
        QFETCH(int, timedOut);
        QFETCH(int, elapsed);
        QFETCH(int, recorded);
        Harness<testing::FakeMessageBoxes, testing::WaitingSoundDevice> h{TimeOfDay{10, 0, 0}};
        h.sound.playMilliseconds = 20;
        ui::MainFrm* drill = StartShortDrill(h);
        QVERIFY(drill != nullptr);
        Announced announced(drill);
        const std::size_t before = h.Records().Count();
        if (secondsBeforeLast < 0) {
            h.clock.AdvanceSeconds(drill->Run().TimeLimit);
        } else {
            QVERIFY(AnswerWholeRun(h, drill, [&] {
                h.clock.AdvanceSeconds(secondsBeforeLast);
                h.sound.whilePlaying = [&] { h.clock.AdvanceSeconds(duringLastCue); };
            }));
        }
        QTRY_COMPARE(announced.finished.size(), std::size_t{1});
        const CurrentRun& run = announced.finished[0];
        QCOMPARE(int{run.CurrentLevel}, 2);
        QCOMPARE(int{run.RunEnding}, 1);
        QCOMPARE(int{run.TimedOut}, timedOut);
        QCOMPARE(run.ElapsedSeconds, elapsed);
        QCOMPARE(run.TimeLimit, 5);
        QCOMPARE(run.CompletedCount, timedOut == 1 ? 0 : int{run.ProblemCount});
        QTRY_VERIFY(h.Result() != nullptr);
        QCOMPARE(announced.finished.size(), std::size_t{1});
        QCOMPARE(h.Records().Count(), before + 1);
        QCOMPARE(h.LastSeconds(), recorded);
    }

    // While the cue of an answer plays: after a right answer the answered question stays and
    // a key (a reflex Enter, a letter) types nothing into the next one, which comes at the
    // cue's end; after a wrong answer the correction shows at once and the space bar's 次へ
    // works while the cue still plays. The clock ticks on under both.
    void keysWhileAnAnswerCuePlays_data() {
        QTest::addColumn<bool>("right");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("correctionAfter");
        QTest::addColumn<bool>("wrongAnswerKept");  // the composed answer is still the wrong one
        QTest::newRow("right, Enter again") << true << int{Qt::Key_Return} << false << false;
        QTest::newRow("right, a letter") << true << int{Qt::Key_H} << false << false;
        QTest::newRow("wrong, a letter") << false << int{Qt::Key_N} << true << true;
        QTest::newRow("wrong, space presses 次へ") << false << int{Qt::Key_Space} << false << false;
    }
    void keysWhileAnAnswerCuePlays() {
        QFETCH(bool, right);
        QFETCH(int, key);
        QFETCH(bool, correctionAfter);
        QFETCH(bool, wrongAnswerKept);
        Harness<testing::FakeMessageBoxes, testing::WaitingSoundDevice> h{TimeOfDay{10, 0, 0}};
        h.sound.playMilliseconds = 400;
        ui::MainFrm* drill = StartShortDrill(h);
        QVERIFY(drill != nullptr);
        QVERIFY(QTest::qWaitForWindowActive(drill));
        const QString question = drill->findChild<QLabel*>("Label3")->text();
        QString questionDuringCue;
        QString clockDuringCue;
        h.sound.whilePlaying = [&] {
            h.clock.AdvanceSeconds(2);
            QTimer::singleShot(100, qApp, [&] {
                QTest::keyClick(drill, static_cast<Qt::Key>(key));
                questionDuringCue = drill->findChild<QLabel*>("Label3")->text();
            });
            QTimer::singleShot(250, qApp, [&] {
                clockDuringCue = drill->findChild<QLabel*>("Label8")->text();
            });
        };
        const std::string correct = drill->Drill()->CorrectAnswer();
        const std::string typed = right ? correct : correct == "H" ? "He" : "H";
        testing::TypeAnswer(drill, typed);
        QTest::keyClick(drill, Qt::Key_Return);
        QTRY_VERIFY(!clockDuringCue.isEmpty());
        QTRY_VERIFY(drill->TakesKeys());
        QTest::qWait(50);
        QCOMPARE(h.sound.played().size(), std::size_t{1});  // no second answer was judged
        QCOMPARE(clockDuringCue, QStringLiteral("2"));
        if (right) {
            QCOMPARE(questionDuringCue, question);  // the next question comes at the cue's end
            QCOMPARE(drill->findChild<QLabel*>("Label3")->text(),
                     QString::fromStdString(drill->Drill()->QuestionCaption()));
        }
        QCOMPARE(drill->Drill()->ShowingCorrection(), correctionAfter);
        QCOMPARE(drill->Drill()->ComposedAnswer(), wrongAnswerKept ? typed : std::string());
        QCOMPARE(int{drill->Run().RunEnding}, 0);
    }

    // From the moment a run starts ending until the result shows, nothing a pupil does acts:
    // keys, the give-up and charge buttons, ticks and a second end change nothing; the run is
    // recorded once and no give-up is logged.
    void nothingActsWhileTheRunEnds_data() {
        QTest::addColumn<QString>("action");
        QTest::newRow("a key") << "key";
        QTest::newRow("Enter") << "enter";
        QTest::newRow("the give-up button") << "give up";
        QTest::newRow("a tick past the limit") << "tick";
        QTest::newRow("the end once more") << "end";
    }
    void nothingActsWhileTheRunEnds() {
        QFETCH(QString, action);
        Harness<testing::FakeMessageBoxes, testing::FakeSoundDevice> h{TimeOfDay{10, 0, 0}};
        ui::MainFrm* drill = StartShortDrill(h);
        QVERIFY(drill != nullptr);
        Announced announced(drill);
        const std::size_t before = h.Records().Count();
        h.clock.AdvanceSeconds(2);
        QVERIFY(AnswerWholeRun(h, drill, nullptr));
        QCOMPARE(announced.finished.size(), std::size_t{1});
        QVERIFY(drill->findChild<QWidget*>("sPicture2")->isVisible());
        const std::string composed = drill->Drill()->ComposedAnswer();
        h.clock.AdvanceSeconds(60);
        if (action == "key")
            QTest::keyClick(drill, Qt::Key_H);
        else if (action == "enter")
            QTest::keyClick(drill, Qt::Key_Return);
        else if (action == "give up")
            ButtonOf(drill, "Command10")->click();
        else if (action == "tick")
            drill->OnClockTick();
        else
            drill->EndRun();
        QCOMPARE(drill->Drill()->ComposedAnswer(), composed);
        QVERIFY(h.messages.shown().empty());
        QTRY_VERIFY(h.Result() != nullptr);
        QCOMPARE(announced.finished.size(), std::size_t{1});
        QCOMPARE(announced.givenUp, 0);
        QCOMPARE(h.Records().Count(), before + 1);
        QCOMPARE(h.LastSeconds(), 2);
        QCOMPARE(CountGiveUpsToday(h.GiveUpLog(kPupil), h.clock.TodayDate()), 0);
    }

    // もう一度 pressed twice before its screen has gone starts one drill; メニューへ then does
    // nothing more.
    void secondClickOnTheResultStartsNothingMore_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("drillStarts");
        QTest::newRow("もう一度 twice") << "Command5" << "Command5" << true;
        QTest::newRow("もう一度, then メニューへ") << "Command5" << "Command4" << true;
        QTest::newRow("メニューへ, then もう一度") << "Command4" << "Command5" << false;
    }
    void secondClickOnTheResultStartsNothingMore() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, drillStarts);
        Harness<testing::FakeMessageBoxes, testing::FakeSoundDevice> h{TimeOfDay{10, 0, 0}};
        ui::MainFrm* drill = StartShortDrill(h);
        QVERIFY(drill != nullptr);
        h.clock.AdvanceSeconds(drill->Run().TimeLimit);
        drill->OnClockTick();
        QTRY_VERIFY(h.Result() != nullptr);
        ui::FrmSyuuryou* result = h.Result();
        QTRY_VERIFY(ButtonOf(result, "Command5")->isVisible());
        int menus = 0;
        int drills = 0;
        QObject counter;
        // Both clicks reach the screen before anything else runs, as a quick double click does.
        ButtonOf(result, qPrintable(first))->click();
        ButtonOf(result, qPrintable(second))->click();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible())
                continue;
            drills += qobject_cast<ui::MainFrm*>(w) != nullptr ? 1 : 0;
            menus += w->objectName() == "seisekitime1" ? 1 : 0;
        }
        QCOMPARE(drills, drillStarts ? 1 : 0);
        QCOMPARE(menus, drillStarts ? 0 : 1);
        QCOMPARE(h.Drill() != nullptr, drillStarts);
    }

    // The run has ended while another PC holds the score file: the drill stays drawn under its
    // cover and keys and clicks meanwhile do nothing - no give-up, no second record, no answer;
    // once the file is free the run is written once and the result follows.
    void clicksDuringABusyFileWait_data() {
        QTest::addColumn<QString>("action");
        QTest::newRow("the give-up button") << "give up";
        QTest::newRow("a charge button") << "charge";
        QTest::newRow("Enter") << "enter";
        QTest::newRow("a tick") << "tick";
    }
    void clicksDuringABusyFileWait() {
        QFETCH(QString, action);
        Harness<testing::FakeMessageBoxes, testing::FakeSoundDevice> h{TimeOfDay{10, 0, 0}};
        QPointer<ui::MainFrm> drill = StartShortDrill(h);
        QVERIFY(drill != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(drill));
        Announced announced(drill);
        const std::size_t before = h.Records().Count();
        LockHolder holder(ScoreRecordPath(h.setup().ProgramDataFolder));
        QVERIFY(holder.Locked());
        h.clock.AdvanceSeconds(drill->Run().TimeLimit);
        drill->OnClockTick();
        QCOMPARE(announced.finished.size(), std::size_t{1});
        QTest::qWait(300);  // tries again from the timer meanwhile
        QCOMPARE(h.Drill(), drill.data());
        QVERIFY(drill->findChild<QWidget*>("sPicture2")->isVisible());
        if (action == "give up")
            QTest::mouseClick(ButtonOf(drill, "Command10"), Qt::LeftButton);
        else if (action == "charge")
            ButtonOf(drill, "Label1_0")->click();
        else if (action == "enter")
            QTest::keyClick(drill, Qt::Key_Return);
        else
            drill->OnClockTick();
        QTest::qWait(100);
        QCOMPARE(h.Records().Count(), before);
        QVERIFY(h.messages.shown().empty());
        QCOMPARE(h.Drill(), drill.data());

        holder.Release();
        QTRY_VERIFY(h.Result() != nullptr);
        QCOMPARE(h.Records().Count(), before + 1);
        QCOMPARE(h.LastSeconds(), 99999);
        QCOMPARE(announced.finished.size(), std::size_t{1});
        QCOMPARE(announced.givenUp, 0);
        QCOMPARE(CountGiveUpsToday(h.GiveUpLog(kPupil), h.clock.TodayDate()), 0);
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
