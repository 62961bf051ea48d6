// The drill screen's mistake log, driven with real key events and clicks on the offscreen
// platform: a wrong timed answer and a revealed practice answer each add their line at once,
// and a log that cannot be written neither stops the run nor opens a box.

#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "common/cp932.h"
#include "mistakes/mistake_log.h"
#include "support/drill_harness.h"
#include "support/fake_services.h"
#include "support/test_support.h"
#include "ui/drill/mainfrm.h"
#include "ui/shell/program.h"

using namespace kagaku;
namespace fs = std::filesystem;

namespace {

constexpr int kPupil = 12;

using Harness = testing::DrillHarness<testing::FakeMessageBoxes, testing::FakeSoundDevice>;

fs::path LogOf(Harness& h) {
    return MistakeLogPath(h.setup().ProgramDataFolder, kPupil);
}

std::string Question(const ui::MainFrm* drill) {
    return drill->Drill()->QuestionCaption().substr(1);  // the caption starts with a space
}

}  // namespace

class MistakeLogScreenTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The line holds the problem as the file has it and the keys as typed, charge included;
    // the run goes on, and the result screen's practice has the missed problem.
    void wrongTimedAnswerIsLoggedAtOnce() {
        Harness h;
        h.FirstQuestionWillBe(8, "SO4-2");
        h.program->StartDrillFor(kPupil, "山田 花子", 8);
        ui::MainFrm* drill = h.Drill();
        QVERIFY(drill != nullptr);
        const std::string question = Question(drill);
        QTest::keyClicks(drill, "SO4");
        QTest::keyClick(drill, Qt::Key_F8);
        QTest::keyClick(drill, Qt::Key_Return);
        QVERIFY(drill->Drill()->ShowingCorrection());
        QCOMPARE(
            testing::ReadBytes(LogOf(h)),
            Utf8ToCp932("#2010-04-28#,#23:59:00#,8,4,\"" + question + "\",\"SO4-2\",\"SO4-\"\r\n",
                        ""));
        QCOMPARE(h.runMistakes().missed.size(), std::size_t{1});
        QCOMPARE(h.runMistakes().missed[0].problem.answer, std::string("SO4-2"));
        QVERIFY(h.messages.shown().empty());
        QTest::keyClick(drill, Qt::Key_Space);  // "次へ"
        QVERIFY(!drill->Drill()->ShowingCorrection());
    }

    // 答え表示 logs the problem with nothing typed; paging on with 次へ logs nothing.
    void revealedPracticeAnswerIsLogged() {
        Harness h;
        h.program->StartDrillFor(kPupil, "山田 花子", 1);
        ui::MainFrm* drill = h.Drill();
        QVERIFY(drill != nullptr);
        QVERIFY(!fs::exists(LogOf(h)));
        QTest::mouseClick(drill->findChild<QPushButton*>("Command7"), Qt::LeftButton);
        const MistakeLogContents log = ReadMistakeLog(LogOf(h));
        QCOMPARE(log.entries.size(), std::size_t{1});
        QCOMPARE(log.entries[0].level, 1);
        QCOMPARE(log.entries[0].typed, std::string());
        QCOMPARE(" " + log.entries[0].question, drill->Practice()->QuestionCaption());
        QTest::mouseClick(drill->findChild<QPushButton*>("Command6"), Qt::LeftButton);
        QCOMPARE(ReadMistakeLog(LogOf(h)).entries.size(), std::size_t{1});
        QVERIFY(h.runMistakes().missed.empty());
    }

    // A folder where the log should be: the wrong answer still shows its correction, no box
    // opens in the middle of the run, the problem is kept for the result screen, and the next
    // question comes as usual.
    void unwritableLogNeitherStopsTheRunNorOpensABox() {
        Harness h;
        fs::create_directories(LogOf(h));
        h.FirstQuestionWillBe(8, "SO4-2");
        h.program->StartDrillFor(kPupil, "山田 花子", 8);
        ui::MainFrm* drill = h.Drill();
        QVERIFY(drill != nullptr);
        QTest::keyClicks(drill, "SO4");
        QTest::keyClick(drill, Qt::Key_Return);
        QVERIFY(drill->Drill()->ShowingCorrection());
        QVERIFY(h.messages.shown().empty());
        QVERIFY(!h.runMistakes().logProblem.empty());
        QTest::keyClick(drill, Qt::Key_Space);
        QVERIFY(!drill->Drill()->ShowingCorrection());
        QTest::keyClicks(drill, "H");
        QCOMPARE(drill->Drill()->ComposedAnswer(), std::string("H"));
        QVERIFY(drill->ClockTimer().isActive());
    }
};

QTEST_MAIN(MistakeLogScreenTest)
#include "mistake_log_screen_test.moc"
