// A pupil's whole road as in class, with nothing but key presses and clicks: pick the name by
// keyboard, start level 2 with its key, answer every question, see the result, go back to the
// menu and find the run counted and the best time ranked.

#include <QLabel>
#include <QPushButton>

#include "common/text_ops.h"
#include "menu_support.h"
#include "records/score_record_file.h"
#include "support/typing.h"
#include "ui/result/frmsyuuryou.h"
#include "ui/drill/mainfrm.h"
#include "ui/menu/seisekitime1.h"

using namespace kagaku;
using testing::MenuHarness;
namespace fs = std::filesystem;

namespace {

QString Text(QWidget* screen, const QString& name) {
    auto* label = screen->findChild<QLabel*>(name);
    return label != nullptr ? label->text() : QStringLiteral("<no %1>").arg(name);
}

ui::seisekitime1* ReadyMenu(MenuHarness& h) {
    if (!QTest::qWaitFor([&] { return h.ScreenIs("seisekitime1"); }, 10000))
        return nullptr;
    auto* menu = qobject_cast<ui::seisekitime1*>(h.program->currentScreen());
    if (!QTest::qWaitFor([&] { return menu->keysReady(); }, 10000))
        return nullptr;
    return menu;
}

}  // namespace

class WholeRoadTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pupilWalksTheWholeRoad() {
        MenuHarness h;
        // Yesterday's slower run on level 2 and a classmate's run today: the new run must be
        // counted today, lift the total and take first place with the pupil's own mark.
        h.WriteRuns({{5, 2, 80, 1}, {7, 2, 55, 0}});
        h.Start();
        QListWidget* list = h.ReadyNameList();
        QVERIFY2(list != nullptr, qPrintable(h.Messages()));

        // The name is reached with the arrow keys and chosen with "1".
        const QString name =
            QString::fromStdString(text::Trim(h.program->roster().RosterName[5]));
        const int row = testing::RowOf(list, name);
        QVERIFY2(row > 0, qPrintable(name));
        while (list->currentRow() < row)
            QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_1);
        ui::seisekitime1* menu = ReadyMenu(h);
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        QCOMPARE(int{h.program->signIn().PupilNumber}, 5);
        QCOMPARE(Text(menu, "Label14_2"), QStringLiteral("-----"));
        QVERIFY2(Text(menu, "Label15_2").startsWith(QStringLiteral("1回")),
                 qPrintable(Text(menu, "Label15_2")));
        const auto* ranking = menu->findChild<QListWidget*>("List5_2");
        QVERIFY2(ranking->item(0)->text().endsWith(QStringLiteral("55 　")),
                 qPrintable(ranking->item(0)->text()));
        QVERIFY2(ranking->item(1)->text().endsWith(QStringLiteral("80 ●")),
                 qPrintable(ranking->item(1)->text()));

        // Level 2 starts with its key.
        QTest::keyClick(menu, Qt::Key_2);
        QTRY_VERIFY(qobject_cast<ui::MainFrm*>(h.program->currentScreen()) != nullptr);
        auto* drill = qobject_cast<ui::MainFrm*>(h.program->currentScreen());
        QCOMPARE(int{h.program->run().CurrentLevel}, 2);
        h.clock.AdvanceSeconds(37.2);

        int answers = 0;
        while (h.program->currentScreen() == drill && !drill->Drill()->AllDone()) {
            testing::TypeAnswer(drill, drill->Drill()->CorrectAnswer());
            QTest::keyClick(drill, Qt::Key_Return);
            QVERIFY(++answers <= 2 * drill->Drill()->ProblemCount());
        }
        QCOMPARE(answers, 2 * h.program->run().ProblemCount);

        // The result: the time, then the buttons after the timer.
        QTRY_VERIFY(qobject_cast<ui::FrmSyuuryou*>(h.program->currentScreen()) != nullptr);
        QWidget* result = h.program->currentScreen();
        QTRY_COMPARE(Text(result, "Label18"), QStringLiteral("今の成績：37秒"));
        auto* toMenu = result->findChild<QPushButton*>("Command4");
        QTRY_VERIFY(toMenu->isVisible());
        const RecordWindow records =
            ReadRecordWindow(ScoreRecordPath(h.program->setup().ProgramDataFolder), 0);
        QCOMPARE(records.Count(), std::size_t{3});
        QCOMPARE(records.Record(2).Seconds, 37);
        QCOMPARE(int{records.Record(2).PupilNumber}, 5);

        // Back on the menu the run is counted and the best time leads the ranking.
        QTest::mouseClick(toMenu, Qt::LeftButton);
        menu = ReadyMenu(h);
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        QVERIFY2(Text(menu, "Label14_2").startsWith(QStringLiteral("1回")),
                 qPrintable(Text(menu, "Label14_2")));
        QVERIFY2(Text(menu, "Label15_2").startsWith(QStringLiteral("2回")),
                 qPrintable(Text(menu, "Label15_2")));
        ranking = menu->findChild<QListWidget*>("List5_2");
        const QString first = ranking->item(0)->text();
        QVERIFY2(first.contains(QStringLiteral("●")) && first.endsWith(QStringLiteral("37 ●")),
                 qPrintable(first));
        QVERIFY2(ranking->item(1)->text().endsWith(QStringLiteral("55 　")),
                 qPrintable(ranking->item(1)->text()));
        // Every other pupil of the roster follows without a time.
        QVERIFY(ranking->count() > 20);
        QVERIFY2(ranking->item(2)->text().startsWith(QStringLiteral("--")),
                 qPrintable(ranking->item(2)->text()));
        testing::SaveScreenshot(menu, "menu_after_run");
        QVERIFY2(h.messages.shown().empty(), qPrintable(h.Messages()));
    }
};

QTEST_MAIN(WholeRoadTest)
#include "whole_road_test.moc"
