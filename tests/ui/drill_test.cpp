// The drill and result screens driven with real key events on the offscreen platform: whole timed
// runs, wrong answers and their correction, the time-out, give-up, practice, a refused level, and
// the result screen's buttons.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "common/cp932.h"
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
#include "ui/drill/time_bar_view.h"

using namespace kagaku;
namespace fs = std::filesystem;

namespace {

constexpr int kPupil = 12;

using Harness = testing::DrillHarness<testing::FakeMessageBoxes, testing::FakeSoundDevice>;

QString Caption(QWidget* screen, const char* name) {
    auto* label = screen->findChild<QLabel*>(name);
    return label != nullptr ? label->text() : QStringLiteral("<no %1>").arg(name);
}

QPushButton* ButtonOf(QWidget* screen, const char* name) {
    return screen->findChild<QPushButton*>(name);
}

std::string FormulaOf(QWidget* screen, const char* name) {
    return screen->findChild<ui::FormulaView*>(name)->Formula();
}

}  // namespace

class DrillTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A whole timed run answered right: every key reaches the drill, the run is recorded once
    // with the right pupil, level and seconds (from the monotonic clock, across midnight), and
    // the result screen shows it with its buttons after the timer.
    void wholeTimedRunIsRecordedAndShown() {
        Harness h;
        h.program->StartDrillFor(kPupil, " 山田 花子 ", 2);
        ui::MainFrm* drill = h.Drill();
        QVERIFY(drill != nullptr);
        QVERIFY(drill->ClockTimer().isActive());
        QCOMPARE(drill->ClockTimer().interval(), 1000);
        QCOMPARE(Caption(drill, "Label5"), QStringLiteral("山田 花子"));
        QCOMPARE(Caption(drill, "Label8"), QStringLiteral("0"));
        QCOMPARE(ButtonOf(drill, "Command10")->text(), QStringLiteral("ギブアップ（後5回）"));
        QVERIFY(!ButtonOf(drill, "Label1_0")->isVisible());  // charge buttons only on 8 and 10

        // One tick three seconds in: the clock and the bar count up.
        h.clock.AdvanceSeconds(3);
        drill->OnClockTick();
        QCOMPARE(Caption(drill, "Label8"), QStringLiteral("3"));
        const auto* bar = drill->findChild<ui::TimeBarView*>("TimeBar");
        QCOMPARE(bar->ElapsedWidth(), 3 * bar->Bar().scale);

        const std::size_t before = h.Records().Count();
        int answers = 0;
        while (h.Drill() == drill && !drill->Drill()->AllDone()) {
            const std::string answer = drill->Drill()->CorrectAnswer();
            if (drill->Drill()->CompletedCount() == drill->Drill()->ProblemCount() - 1 &&
                drill->Drill()->Progress(drill->Drill()->CurrentProblem()) == 1) {
                h.clock.AdvanceSeconds(44.5);  // finishes at 47.5 s: rounds to 48
            }
            testing::TypeAnswer(drill, answer);
            QCOMPARE(FormulaOf(drill, "Picture1"), answer);  // redrawn on every key
            QTest::keyClick(drill, Qt::Key_Return);
            QVERIFY(++answers <= 2 * drill->Drill()->ProblemCount());
        }
        QCOMPARE(answers, 2 * h.run().ProblemCount);
        QTRY_VERIFY(h.Result() != nullptr);
        const RecordWindow records = h.Records();
        QCOMPARE(records.Count(), before + 1);
        const ScoreRecord r = records.Record(records.Count() - 1);
        QCOMPARE(int{r.PupilNumber}, kPupil);
        QCOMPARE(int{r.Level}, 2);
        QCOMPARE(r.Seconds, 48);
        ui::FrmSyuuryou* result = h.Result();
        QTRY_COMPARE(Caption(result, "Label18"), QStringLiteral("今の成績：48秒"));
        QCOMPARE(h.sound.played().size(), std::size_t(answers) + 1);  // + the result's sound
        QVERIFY(!ButtonOf(result, "Command4")->isVisible());
        QVERIFY(!ButtonOf(result, "Command5")->isVisible());
        QCOMPARE(Caption(result, "Label20"), QStringLiteral("！！！最高新記録！！！"));
        QVERIFY(h.sound.played().back().filename() == fs::u8path("最高1.wav"));
        testing::SaveScreenshot(result, "result-new-record");
        QTRY_VERIFY(ButtonOf(result, "Command4")->isVisible());
        QVERIFY(ButtonOf(result, "Command5")->isVisible());
        testing::SaveScreenshot(result, "result-buttons");

        // "もう一度" starts the same level afresh.
        QTest::mouseClick(ButtonOf(result, "Command5"), Qt::LeftButton);
        QTRY_VERIFY(h.Drill() != nullptr);
        QCOMPARE(int{h.run().CurrentLevel}, 2);
        QCOMPARE(int{h.run().RunEnding}, 0);
    }

    // The answer is typeset while typed (a subscript and a charge on level 8), Backspace takes a
    // sized charge whole, a wrong answer shows the correction and keys are ignored until "次へ".
    void wrongAnswerShowsCorrectionUntilNext() {
        Harness h;
        h.FirstQuestionWillBe(8, "SO4-2");
        h.program->StartDrillFor(kPupil, "山田 花子", 8);
        ui::MainFrm* drill = h.Drill();
        QVERIFY(drill != nullptr);
        QCOMPARE(drill->Drill()->CorrectAnswer(), std::string("SO4-2"));
        QVERIFY(ButtonOf(drill, "Label1_0")->isVisible());
        QCOMPARE(Caption(drill, "Label2_0"), QStringLiteral("F9"));  // "+" is F9
        QCOMPARE(Caption(drill, "Label2_1"), QStringLiteral("F10"));

        QTest::keyClicks(drill, "SO4");
        QTest::keyClick(drill, Qt::Key_F7);
        QCOMPARE(FormulaOf(drill, "Picture1"), std::string("SO4-2"));
        QTest::keyClick(drill, Qt::Key_F9);  // a species takes only one charge
        QCOMPARE(FormulaOf(drill, "Picture1"), std::string("SO4-2"));
        testing::SaveScreenshot(drill, "drill-mid-answer");
        QTest::keyClick(drill, Qt::Key_Backspace);
        QCOMPARE(FormulaOf(drill, "Picture1"), std::string("SO4"));
        QTest::mouseClick(ButtonOf(drill, "Label1_0"), Qt::LeftButton);  // on-screen "+"
        QCOMPARE(FormulaOf(drill, "Picture1"), std::string("SO4\\"));

        const int wrongProblem = drill->Drill()->CurrentProblem();
        QTest::keyClick(drill, Qt::Key_Space);
        QVERIFY(drill->Drill()->ShowingCorrection());
        QVERIFY(drill->findChild<QWidget*>("Correction")->isVisible());
        QCOMPARE(FormulaOf(drill, "Picture2"), std::string("SO4-2"));
        QCOMPARE(drill->Drill()->Progress(drill->Drill()->CurrentProblem()), -1);
        testing::SaveScreenshot(drill, "drill-correction");
        QTest::keyClicks(drill, "H2");
        QTest::keyClick(drill, Qt::Key_F8);
        QTest::keyClick(drill, Qt::Key_Return);
        QCOMPARE(FormulaOf(drill, "Picture1"), std::string("SO4\\"));
        QVERIFY(drill->Drill()->ShowingCorrection());
        QCOMPARE(h.sound.played().size(), std::size_t{1});  // the wrong sound only

        QTest::keyClick(drill, Qt::Key_Space);  // presses the focused "次へ"
        QVERIFY(!drill->Drill()->ShowingCorrection());
        QVERIFY(!drill->findChild<QWidget*>("Correction")->isVisible());
        QCOMPARE(FormulaOf(drill, "Picture1"), std::string());
        QVERIFY(drill->Drill()->CurrentProblem() != wrongProblem);  // not straight back
        QTest::keyClicks(drill, "H");                               // keys work again
        QCOMPARE(FormulaOf(drill, "Picture1"), std::string("H"));
    }

    // The developer entry signs in as the name screen does: a sign-in before it leaves no
    // field behind (the grade label, the sign-in time, the password given, the backup taken).
    void startDrillForWritesTheWholeSignIn() {
        Harness h;
        SignedIn& before = h.signIn();
        before.PupilGradeLabel = "中３";
        before.SignInSeconds = 5;
        before.TeacherPassword.Given = true;
        before.ChangeBackupTaken = true;
        h.program->StartDrillFor(kPupil, "山田 花子", 2);
        QVERIFY(h.Drill() != nullptr);
        const SignedIn& after = h.signIn();
        QCOMPARE(int{after.PupilNumber}, kPupil);
        QCOMPARE(after.PupilName, std::string("山田 花子"));
        QCOMPARE(after.PupilGradeLabel,
                 h.roster().RosterGradeLabel[static_cast<std::size_t>(kPupil)]);
        QCOMPARE(after.SignInSeconds, std::int32_t{23 * 3600 + 59 * 60});
        QVERIFY(!after.TeacherPassword.Given);
        QVERIFY(!after.ChangeBackupTaken);
    }

    // At five times the minimum time the run ends once, records 99999 and says "時間切れ", even
    // when the clock ticks again and EndRun is entered again while the run is ending.
    void timeOutRecordsNoTimeOnce() {
        Harness h;
        h.program->StartDrillFor(kPupil, "山田 花子", 2);
        ui::MainFrm* drill = h.Drill();
        QVERIFY(drill != nullptr);
        QCOMPARE(h.run().TimeLimit, 5 * h.editedLevelSettings().MinimumTime[2]);
        const std::size_t before = h.Records().Count();
        bool timeUpShown = false;
        bool recordingShown = true;
        QTimer::singleShot(300, drill, [&] {
            timeUpShown = drill->findChild<QLabel*>("lblsss2")->isVisible();
            recordingShown = drill->findChild<QLabel*>("lblsss1")->isVisible();
            drill->OnClockTick();
            drill->EndRun();
        });
        h.clock.AdvanceSeconds(h.run().TimeLimit);
        drill->OnClockTick();
        QVERIFY(timeUpShown);
        QVERIFY(!recordingShown);
        QTRY_VERIFY(h.Result() != nullptr);
        const RecordWindow records = h.Records();
        QCOMPARE(records.Count(), before + 1);
        QCOMPARE(records.Record(records.Count() - 1).Seconds, 99999);
        ui::FrmSyuuryou* result = h.Result();
        QTRY_COMPARE(Caption(result, "Label20"), QStringLiteral("時間切れ"));
        QCOMPARE(Caption(result, "Label18"), QStringLiteral("記録なし"));
        QTRY_VERIFY(ButtonOf(result, "Command4")->isVisible());
        QTest::mouseClick(ButtonOf(result, "Command4"), Qt::LeftButton);
        QTRY_VERIFY(h.BackAtMenu());
    }

    // A give-up writes one log line, records nothing and returns to the menu; the sixth of a day
    // is refused and the run goes on.
    void giveUpLogsAndRecordsNothing() {
        Harness h;
        h.program->StartDrillFor(kPupil, "山田 花子", 2);
        const std::size_t before = h.Records().Count();
        QTest::mouseClick(ButtonOf(h.Drill(), "Command10"), Qt::LeftButton);
        QCOMPARE(h.messages.shown().size(), std::size_t{1});
        QCOMPARE(h.messages.shown()[0].text, QStringLiteral("ギブアップできるのはあと4回です"));
        QTRY_VERIFY(h.BackAtMenu());
        QCOMPARE(h.Records().Count(), before);
        const fs::path log = GiveUpLogPath(h.setup().ProgramDataFolder, kPupil);
        QCOMPARE(CountGiveUpsToday(log, h.clock.TodayDate()), 1);

        for (int i = 0; i < 4; ++i)
            AppendGiveUp(log, h.clock.TodayDate());
        h.program->StartDrill(2);
        ui::MainFrm* drill = h.Drill();
        QVERIFY(drill != nullptr);
        QCOMPARE(ButtonOf(drill, "Command10")->text(), QStringLiteral("ギブアップ"));
        QVERIFY(!ButtonOf(drill, "Command10")->isEnabled());
    }

    // Practice pages in file order, skips learnt problems when wrapping, and after the last
    // 覚えた returns to the menu without a record.
    void practicePagesAndLearns() {
        Harness h;
        h.program->StartDrillFor(kPupil, "山田 花子", 1);
        ui::MainFrm* drill = h.Drill();
        QVERIFY(drill != nullptr);
        QVERIFY(!drill->ClockTimer().isActive());
        QCOMPARE(Caption(drill, "Label8"), QStringLiteral("---"));
        const int count =
            drill->Practice()->LearntCount() + std::stoi(drill->Practice()->RemainingCaption());
        QVERIFY(ButtonOf(drill, "Command7")->isVisible());
        QVERIFY(!ButtonOf(drill, "Command9")->isVisible());
        QCOMPARE(drill->Practice()->PracticeIndex(), 1);

        QTest::mouseClick(ButtonOf(drill, "Command7"), Qt::LeftButton);
        QVERIFY(!FormulaOf(drill, "Picture1").empty());
        QVERIFY(ButtonOf(drill, "Command9")->isVisible());
        QTest::mouseClick(ButtonOf(drill, "Command9"), Qt::LeftButton);  // problem 1 learnt
        QCOMPARE(drill->Practice()->PracticeIndex(), 2);
        QCOMPARE(Caption(drill, "Label7"), QString::number(count - 1));
        for (int i = 0; i < count - 1; ++i) {  // once round: 2 .. count, then 2 again
            QTest::mouseClick(ButtonOf(drill, "Command7"), Qt::LeftButton);
            QTest::mouseClick(ButtonOf(drill, "Command6"), Qt::LeftButton);
        }
        QCOMPARE(drill->Practice()->PracticeIndex(), 2);

        const std::size_t before = h.Records().Count();
        for (int i = 1; i < count; ++i) {
            QVERIFY(h.Drill() == drill);
            QTest::mouseClick(ButtonOf(drill, "Command7"), Qt::LeftButton);
            QTest::mouseClick(ButtonOf(drill, "Command9"), Qt::LeftButton);
        }
        QTRY_VERIFY(h.BackAtMenu());
        QCOMPARE(h.Records().Count(), before);
    }

    // A level whose category has no rows is refused with a message naming the file; nothing
    // starts and nothing is recorded.
    void levelWithoutProblemsIsRefused() {
        Harness h;
        std::ofstream(h.tree / "kagaku" / fs::u8path("化学式.csv"), std::ios::binary)
            << Utf8ToCp932("1,\"水素\",\"H\"\r\n", "化学式.csv");
        h.program->StartDrillFor(kPupil, "山田 花子", 4);
        QVERIFY(h.BackAtMenu());
        QCOMPARE(h.messages.shown().size(), std::size_t{1});
        QVERIFY2(h.messages.shown()[0].text.contains(QStringLiteral("化学式.csv")),
                 qPrintable(h.messages.shown()[0].text));
        QCOMPARE(h.Records().Count(), std::size_t{0});
    }
};

QTEST_MAIN(DrillTest)
#include "drill_test.moc"
