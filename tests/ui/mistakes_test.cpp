// The screens of the mistakes, on a copy of the demo tree with real keys and clicks: the
// teacher's "よく間違える問題" (the days, level and whose mistakes, the password before printing,
// print and PDF one page a level), and the pupil's "間違えた問題を練習" from the result screen
// and from the level menu (only the missed problems are asked, 覚えた or 練習終わり ends it,
// nothing goes into the score file, and it returns where it came from).

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTimer>
#include <deque>
#include <optional>

#include "admin/teacher_password.h"
#include "drill/give_up.h"
#include "menu_support.h"
#include "mistakes/mistake_log.h"
#include "mistakes/mistake_views.h"
#include "support/drill_harness.h"
#include "support/typing.h"
#include "ui/drill/mainfrm.h"
#include "ui/result/mistake_practice_offer.h"
#include "ui/teacher/mistake_ranking_view.h"
#include "ui/teacher/teacher_password_dialog.h"

using namespace kagaku;
using testing::MenuHarness;
using testing::SignIn;
namespace fs = std::filesystem;

namespace {

// Answers the password dialog whenever it is open: the next queued entry and Enter, or
// キャンセル when none is queued.
class PasswordAnswerer {
public:
    PasswordAnswerer() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Look(); });
        timer_.start();
    }
    void Queue(const QString& entry) { entries_.push_back(entry); }
    // True once the count-th dialog has been answered and has gone (the dialog opens
    // window-modal and returns at once; the answer comes from this timer).
    bool Answered(int count) const {
        return QTest::qWaitFor(
            [&] {
                auto* open = qobject_cast<ui::TeacherPasswordDialog*>(
                    QApplication::activeModalWidget());
                return opened >= count && (open == nullptr || !open->isVisible());
            },
            5000);
    }
    int opened = 0;

private:
    void Look() {
        auto* dialog = qobject_cast<ui::TeacherPasswordDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        ++opened;
        auto* entry = dialog->findChild<QLineEdit*>("PasswordEntry");
        if (entries_.empty() || entry == nullptr) {
            QTest::mouseClick(dialog->findChild<QPushButton*>("PasswordCancel"), Qt::LeftButton);
            return;
        }
        QTest::keyClicks(entry, entries_.front());
        entries_.pop_front();
        QTest::keyClick(entry, Qt::Key_Return);
    }
    QTimer timer_;
    std::deque<QString> entries_;
};

// A line of a pupil's mistake log, days before the test's today (2026-06-10).
struct Logged {
    int pupil;
    int daysAgo;
    int level;
    std::string question;
    std::string answer;
    std::string typed;
};

void WriteLogs(const fs::path& dataFolder, const std::vector<Logged>& lines) {
    const long long today = DaySerial(CivilDate{2026, 6, 10});
    for (const Logged& l : lines) {
        AppendMistake(MistakeLogPath(dataFolder.string(), l.pupil),
                      MistakeEntry{DateFromSerial(today - l.daysAgo), TimeOfDay{10, 0, 0},
                                   l.level, (l.level + 1) / 2, l.question, l.answer, l.typed});
    }
}

// 石川 (pupil 3, 小１) and 江口 (pupil 5, 小３).
const std::vector<Logged> kClassLogs = {
    {3, 0, 4, "水", "H2O", "H2O2"},   {3, 2, 4, "水", "H2O", "H2O2"},
    {3, 3, 2, "水素", "H", "He"},     {5, 10, 4, "水", "H2O", "HO"},
    {5, 200, 4, "酸素", "O2", "O"},   {5, 100, 4, "水", "H2O", "H2O2"},
};

void Click(QWidget* in, const char* name) {
    auto* b = in->findChild<QAbstractButton*>(name);
    QVERIFY2(b != nullptr && b->isVisible(), name);
    QTest::mouseClick(b, Qt::LeftButton);
}

void Choose(QComboBox* box, int data) {
    const int index = box->findData(data);
    QVERIFY(index >= 0);
    box->setCurrentIndex(index);
    Q_EMIT box->activated(index);
}

// The teacher's panel: 先生 signs in, gives the password for the data panel and opens the view.
ui::MistakeRankingPanel* OpenRanking(MenuHarness& h, PasswordAnswerer& answer,
                                     ui::seisekitime1* menu) {
    if (!h.program->signIn().TeacherPassword.Given)
        answer.Queue("rika2024");
    QTest::mouseClick(menu->findChild<QPushButton*>("Command8"), Qt::LeftButton);
    auto* open = menu->findChild<QPushButton*>("MistakeRankingOpen");
    if (open == nullptr || !QTest::qWaitFor([&] { return open->isVisible(); }, 5000))
        return nullptr;
    QTest::mouseClick(open, Qt::LeftButton);
    // A panel opened before goes once events run; the one shown is the new one.
    ui::MistakeRankingPanel* panel = nullptr;
    const bool shown = QTest::qWaitFor(
        [&] {
            for (auto* p : menu->findChildren<ui::MistakeRankingPanel*>("MistakeRanking")) {
                if (p->isVisible())
                    panel = p;
            }
            return panel != nullptr;
        },
        5000);
    return shown ? panel : nullptr;
}

int PdfPages(const QString& file) {
    QProcess p;
    p.start("pdfinfo", {file});
    if (p.waitForFinished(20000) && p.exitCode() == 0) {
        const auto match = QRegularExpression(R"(Pages:\s+(\d+))")
                               .match(QString::fromUtf8(p.readAllStandardOutput()));
        if (match.hasMatch())
            return match.captured(1).toInt();
    }
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return static_cast<int>(
        QString::fromLatin1(f.readAll()).count(QRegularExpression(R"(/Type\s*/Page(?!s))")));
}

QString PdfText(const QString& file) {
    QProcess p;
    p.start("pdftotext", {"-enc", "UTF-8", file, "-"});
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString Caption(QWidget* screen, const char* name) {
    auto* label = screen->findChild<QLabel*>(name);
    return label != nullptr ? label->text() : QString();
}

using DrillHarness = testing::DrillHarness<testing::FakeMessageBoxes, testing::FakeSoundDevice>;

}  // namespace

class MistakesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each choice of days, level and whose mistakes reaches the count: a choice that is not
    // passed on, a window of the wrong length or a pupil's log mixed with the class's shows
    // other counts than these. The answers go to the table as notation for the typesetter.
    void teacherChoosesDaysLevelAndWhose() {
        MenuHarness h;
        WriteLogs(h.DataFolder(), kClassLogs);
        admin::SetTeacherPassword(h.DataFolder() / fs::u8path(admin::kTeacherPasswordFileName),
                                  "rika2024");
        h.Start();
        PasswordAnswerer answer;
        ui::seisekitime1* menu = SignIn(h, QStringLiteral("先生"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        ui::MistakeRankingPanel* panel = OpenRanking(h, answer, menu);
        QVERIFY2(panel != nullptr, qPrintable(h.Messages()));
        QCOMPARE(answer.opened, 1);

        struct Row {
            const char* fault;
            int days;
            int level;  // 0: every level
            int pupil;  // 0: the class
            std::vector<int> levels;
            // The first problem of the last level shown ("" when that level is empty).
            std::string question, pupils, times, wrong, wrongCount;
            std::size_t rows;
        };
        const std::vector<Row> table = {
            {"7 days count today and the six days before", 7, 0, 0, {2, 4}, "水", "1人", "2回",
             "H2O2", "2回", 1},
            {"30 days take both pupils' 水", 30, 0, 0, {2, 4}, "水", "2人", "3回", "H2O2", "2回",
             1},
            {"365 days reach back to 酸素", 365, 0, 0, {2, 4}, "水", "2人", "4回", "H2O2", "3回",
             2},
            {"one level only", 365, 4, 0, {4}, "水", "2人", "4回", "H2O2", "3回", 2},
            {"one pupil's log only; equal wrong answers, the more recent first", 365, 4, 5, {4},
             "水", "1人", "2回", "HO", "1回", 2},
            {"the asked level stands even when empty", 7, 2, 5, {2}, "", "", "", "", "", 0},
        };
        for (const Row& row : table) {
            Click(panel, qPrintable(QStringLiteral("MistakeDays_%1").arg(row.days)));
            Choose(panel->findChild<QComboBox*>("MistakeLevel"), row.level);
            Choose(panel->findChild<QComboBox*>("MistakeWhose"), row.pupil);
            const kagaku::MistakeRankingView& view = panel->view();
            std::vector<int> levels;
            for (const auto& l : view.levels)
                levels.push_back(l.level);
            QVERIFY2(levels == row.levels, row.fault);
            const MistakeLevelView& last = view.levels.back();
            QVERIFY2(last.rows.size() == row.rows, row.fault);
            if (row.rows == 0) {
                QVERIFY2(last.emptyText == kNoMistakesText, row.fault);
            } else {
                const MistakeRowView& first = last.rows.front();
                QVERIFY2(first.question == row.question && first.pupils == row.pupils &&
                             first.times == row.times && first.wrongAnswer == row.wrong &&
                             first.wrongCount == row.wrongCount,
                         (std::string(row.fault) + ": " + first.question + " " + first.pupils +
                          " " + first.times + " " + first.wrongAnswer + " " + first.wrongCount)
                             .c_str());
            }
            // The table shows the same: the level's heading, then its rows; the answers are
            // notation for the typesetter, not text.
            auto* grid = panel->findChild<QTableWidget*>("MistakeTable");
            const int lastRow = grid->rowCount() - 1;
            if (row.rows == 0) {
                QCOMPARE(grid->item(lastRow, 0)->text(), QString::fromUtf8(kNoMistakesText));
            } else {
                const int firstRow = lastRow - static_cast<int>(row.rows) + 1;
                QCOMPARE(grid->item(firstRow - 1, 0)->text(), QString::fromStdString(last.heading));
                QCOMPARE(grid->item(firstRow, 1)->text(), QString::fromStdString(row.question));
                QCOMPARE(grid->item(firstRow, 2)->data(Qt::UserRole + 1).toString(),
                         QStringLiteral("H2O"));
                QCOMPARE(grid->item(firstRow, 5)->data(Qt::UserRole + 1).toString(),
                         QString::fromStdString(row.wrong));
            }
            const QString scope = Caption(panel, "MistakeScopeText");
            QVERIFY2(scope.contains(row.pupil == 5 ? QStringLiteral("江口")
                                                   : QStringLiteral("全学年")),
                     qPrintable(scope));
        }
        QVERIFY2(h.messages.shown().empty(), qPrintable(h.Messages()));

        // While the panel lies over the columns, a number key starts nothing; 戻る closes it.
        QTest::keyClick(menu, Qt::Key_1);
        QVERIFY(h.ScreenIs("seisekitime1"));
        Click(panel, "MistakeBack");
        QVERIFY(!panel->isVisible());

        // The board's grade filter is the class the panel counts: 小３ is 江口 alone.
        auto* grades = menu->findChild<QComboBox*>("Combo1");
        const int grade = grades->findText(QStringLiteral("小３"));
        QVERIFY(grade >= 0);
        grades->setCurrentIndex(grade);
        panel = OpenRanking(h, answer, menu);
        QVERIFY(panel != nullptr);
        Click(panel, "MistakeDays_30");
        QCOMPARE(panel->view().levels.size(), std::size_t{1});
        const MistakeRowView& only = panel->view().levels[0].rows.at(0);
        QCOMPARE(only.pupils, std::string("1人"));
        QCOMPARE(only.wrongAnswer, std::string("HO"));
        QVERIFY(Caption(panel, "MistakeScopeText").startsWith(QStringLiteral("小３")));
    }

    // Printing and the PDF file wait for the password where one is set (a cancel or a wrong
    // entry prints nothing); both give one page a level with the title and the problems; the
    // screen and a printed page are saved as pictures to look at.
    void teacherPrintsAndSavesBehindThePassword() {
        MenuHarness h;
        WriteLogs(h.DataFolder(), kClassLogs);
        admin::SetTeacherPassword(h.DataFolder() / fs::u8path(admin::kTeacherPasswordFileName),
                                  "rika2024");
        h.Start();
        PasswordAnswerer answer;
        ui::seisekitime1* menu = SignIn(h, QStringLiteral("先生"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        ui::MistakeRankingPanel* panel = OpenRanking(h, answer, menu);
        QVERIFY2(panel != nullptr, qPrintable(h.Messages()));
        Click(panel, "MistakeDays_365");
        testing::SaveScreenshot(menu, "mistake_ranking");

        testing::TempDir out;
        int jobs = 0;
        const QString job = QString::fromStdString((out.path() / "job.pdf").string());
        panel->SetPrinterFactory([&] {
            ++jobs;
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(job);
            return printer;
        });
        int folders = 0;
        panel->SetFolderChooser([&](QWidget*, std::function<void(QString)> done) {
            ++folders;
            done(QString::fromStdString(out.path().string()));
        });

        // As if the password had not been given in this sign-in yet.
        h.program->signIn().TeacherPassword.Given = false;
        const int before = answer.opened;
        Click(panel, "MistakePrint");  // nothing queued: キャンセル
        QVERIFY(answer.Answered(before + 1));
        answer.Queue("RIKA2024");
        Click(panel, "MistakePdf");
        QVERIFY(answer.Answered(before + 2));
        QCOMPARE(jobs, 0);
        QCOMPARE(folders, 0);
        QCOMPARE(h.messages.shown().size(), std::size_t{1});
        QCOMPARE(h.messages.shown()[0].text, QStringLiteral("パスワードが違います。"));

        answer.Queue("rika2024");
        Click(panel, "MistakePrint");
        QVERIFY(answer.Answered(before + 3));
        QTRY_COMPARE(jobs, 1);
        QCOMPARE(PdfPages(job), 2);  // levels 2 and 4
        Click(panel, "MistakePdf");  // given in this sign-in: no dialog
        QCOMPARE(folders, 1);
        QCOMPARE(answer.opened, before + 3);
        const QString saved = QDir(QString::fromStdString(out.path().string()))
                                  .filePath(panel->PdfFileName());
        QVERIFY(saved.endsWith(QStringLiteral("よく間違える問題_全学年_365日間_2026-06-10.pdf")));
        QCOMPARE(PdfPages(saved), 2);
        const QString text = PdfText(saved);
        if (!text.isEmpty()) {
            QVERIFY2(text.contains(QStringLiteral("よく間違える問題")), qPrintable(text));
            QVERIFY(text.contains(QStringLiteral("酸素")));
            QVERIFY(text.contains(QStringLiteral("2人")));
        }
        QProcess::execute("pdftoppm",
                          {"-png", "-r", "100", "-f", "2", "-l", "2", saved,
                           QStringLiteral(KAGAKU_SCREENSHOT_DIR "/mistake_ranking_printed")});
        QVERIFY2(h.messages.shown().size() == 1, qPrintable(h.Messages()));

        // A pupil's name cannot lead the file out of the folder.
        h.program->roster().RosterName[5] = "江口/../蓮";
        panel->deleteLater();
        QVERIFY(QTest::qWaitFor([&] { return menu->findChild<ui::MistakeRankingPanel*>() == nullptr; }, 2000));
        panel = OpenRanking(h, answer, menu);
        QVERIFY(panel != nullptr);
        Choose(panel->findChild<QComboBox*>("MistakeWhose"), 5);
        QVERIFY(!panel->PdfFileName().contains('/'));
    }

    // After a run with a wrong answer the result screen offers exactly the missed problem;
    // 覚えた on it, and later 練習終わり, each return to the same result screen with nothing
    // recorded, and もう一度 still runs the timed level. A double click starts one practice.
    void practiceFromTheResultScreen() {
        DrillHarness h;
        h.FirstQuestionWillBe(4, "H2O");
        h.program->StartDrillFor(12, "山田 花子", 4);
        ui::MainFrm* drill = h.Drill();
        QVERIFY(drill != nullptr);
        testing::TypeAnswer(drill, "HO");
        QTest::keyClick(drill, Qt::Key_Return);
        QVERIFY(drill->Drill()->ShowingCorrection());
        QTest::keyClick(drill, Qt::Key_Space);
        h.clock.AdvanceSeconds(drill->Run().TimeLimit);
        drill->OnClockTick();
        QTRY_VERIFY(h.Result() != nullptr);
        ui::FrmSyuuryou* result = h.Result();
        auto* offer = result->findChild<ui::MistakePracticeOffer*>("PracticeMistakes");
        QVERIFY(offer != nullptr);
        QVERIFY(!offer->isVisible());  // it comes with the way on
        QTRY_VERIFY(offer->isVisible());
        QVERIFY(offer->text().contains(QStringLiteral("（1問）")));
        testing::SaveScreenshot(result, "mistake_offer_result");
        const std::size_t records = h.Records().Count();

        struct Ending {
            const char* fault;
            const char* button;  // what ends the practice after the answer is shown
        };
        for (const Ending& e : {Ending{"覚えた on the only problem must end it", "Command9"},
                                Ending{"練習終わり must return to the result", "Command8"}}) {
            QTest::mouseClick(offer, Qt::LeftButton);
            ui::MainFrm* practice = h.Drill();
            QVERIFY2(practice != nullptr && practice->IsPractice(), e.fault);
            // A second click reaching the offer before its screen has gone starts nothing more.
            QTest::mouseClick(offer, Qt::LeftButton);
            QCOMPARE(h.Drill(), practice);
            int drills = 0;
            for (QWidget* w : QApplication::topLevelWidgets())
                drills += qobject_cast<ui::MainFrm*>(w) != nullptr && w->isVisible() ? 1 : 0;
            QCOMPARE(drills, 1);
            QCOMPARE(int{h.run().CurrentLevel}, 3);
            QCOMPARE(practice->Practice()->Problems().Count(), 1);
            QVERIFY(Caption(practice, "Label3").contains(QStringLiteral("水")));
            QVERIFY(!result->isVisible());
            Click(practice, "Command7");
            if (std::string(e.button) == "Command9")
                testing::SaveScreenshot(practice, "mistake_practice_result");
            Click(practice, e.button);
            QTRY_VERIFY2(h.Result() == result && result->isVisible(), e.fault);
            QCOMPARE(h.Records().Count(), records);
            QCOMPARE(int{h.run().CurrentLevel}, 4);
            QVERIFY(offer->isVisible());
        }
        Click(result, "Command5");
        QTRY_VERIFY(h.Drill() != nullptr && !h.Drill()->IsPractice());
        QCOMPARE(int{h.run().CurrentLevel}, 4);
    }

    // A give-up in the practice of the run's mistakes ends it at the level menu, like any run:
    // the result screen kept hidden beneath it goes too, and nothing is recorded.
    void giveUpInAPracticeFromTheResultGoesToTheMenu() {
        DrillHarness h;
        h.FirstQuestionWillBe(4, "H2O");
        h.program->StartDrillFor(12, "山田 花子", 4);
        ui::MainFrm* drill = h.Drill();
        QVERIFY(drill != nullptr);
        testing::TypeAnswer(drill, "HO");
        QTest::keyClick(drill, Qt::Key_Return);
        h.clock.AdvanceSeconds(drill->Run().TimeLimit);
        drill->OnClockTick();
        QTRY_VERIFY(h.Result() != nullptr);
        QPointer<ui::FrmSyuuryou> result = h.Result();
        auto* offer = result->findChild<ui::MistakePracticeOffer*>("PracticeMistakes");
        QVERIFY(offer != nullptr);
        QTRY_VERIFY(offer->isVisible());
        const std::size_t records = h.Records().Count();
        QTest::mouseClick(offer, Qt::LeftButton);
        ui::MainFrm* practice = h.Drill();
        QVERIFY(practice != nullptr && practice->IsPractice());
        Click(practice, "Command10");
        QTRY_VERIFY(h.BackAtMenu());
        QTRY_VERIFY(result.isNull());
        QCOMPARE(h.Records().Count(), records);
        QCOMPARE(CountGiveUpsToday(GiveUpLogPath(h.setup().ProgramDataFolder, 12),
                                   h.clock.TodayDate()),
                 1);
    }

    // The level menu's practice column offers the pupil's own most-missed problems of the last
    // 30 days, most missed first; answers revealed in practice and older mistakes do not count;
    // learning them all returns to the menu with nothing recorded.
    void practiceFromTheLevelMenu() {
        MenuHarness h;
        WriteLogs(h.DataFolder(), {{5, 1, 2, "ヘリウム", "He", "H"},
                                   {5, 2, 2, "水素", "H", "He"},
                                   {5, 3, 2, "ヘリウム", "He", "h"},
                                   {5, 40, 2, "リチウム", "Li", "L"},
                                   {5, 1, 1, "ホウ素", "B", ""}});
        h.WriteRuns({{5, 2, 60, 1}});
        const std::string recordsBefore = testing::ReadBytes(h.RecordFile());
        h.Start();
        ui::seisekitime1* menu = SignIn(h, QStringLiteral("江口"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        const auto offers = menu->findChildren<ui::MistakePracticeOffer*>("PracticeMistakes");
        QCOMPARE(offers.size(), 1);  // category 1 only: its practice level 1
        ui::MistakePracticeOffer* offer = offers[0];
        QTRY_VERIFY(offer->isVisible());
        QCOMPARE(offer->practice().level, 1);
        // A revealed answer of the practice level (ホウ素) is no mistake to practise.
        QString questions;
        for (const Problem& p : offer->practice().problems.problems)
            questions += QString::fromStdString(p.question + " ");
        QVERIFY2(offer->text().contains(QStringLiteral("（2問）")), qPrintable(questions));
        testing::SaveScreenshot(menu, "mistake_offer_menu");

        QTest::mouseClick(offer, Qt::LeftButton);
        QTRY_VERIFY(h.ScreenIs("MainFrm"));
        auto* practice = qobject_cast<ui::MainFrm*>(h.program->currentScreen());
        QVERIFY(practice != nullptr && practice->IsPractice());
        QCOMPARE(practice->Practice()->Problems().Count(), 2);
        const std::vector<QString> asked = {QStringLiteral("ヘリウム"), QStringLiteral("水素")};
        for (const QString& question : asked) {
            QVERIFY2(Caption(practice, "Label3").contains(question),
                     qPrintable(Caption(practice, "Label3")));
            Click(practice, "Command7");
            if (question == asked.front())
                testing::SaveScreenshot(practice, "mistake_practice_menu");
            Click(practice, "Command9");
        }
        QTRY_VERIFY(h.ScreenIs("seisekitime1"));
        QCOMPARE(testing::ReadBytes(h.RecordFile()), recordsBefore);
        QVERIFY2(h.messages.shown().empty(), qPrintable(h.Messages()));
    }
};

QTEST_MAIN(MistakesTest)
#include "mistakes_test.moc"
