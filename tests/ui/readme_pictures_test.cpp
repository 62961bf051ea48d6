// The README's pictures: the name screen, the level menu with six weeks of history, the detail
// report, a drill with a typeset answer and the result screen, on the test's own tree with a
// history made by the demo school's generator. Saved in build/screenshots/ as readme-*.png at
// the screen size of the run (scripts/readme_pictures.sh copies the 1280x1024 ones to docs/);
// the checks catch a history that leaves the menu's lists or the chart empty.

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "menu_support.h"
#include "support/typing.h"
#include "tools/demo_history.h"
#include "ui/menu/detail_view.h"
#include "ui/result/frmsyuuryou.h"
#include "ui/drill/mainfrm.h"

using namespace kagaku;
using testing::MenuHarness;
using testing::SignIn;

namespace {

// Every level list of the menu that holds at least one line.
int FilledLists(QWidget* menu) {
    int filled = 0;
    for (auto* list : menu->findChildren<QListWidget*>())
        filled += list->objectName().startsWith("List5_") && list->count() > 0;
    return filled;
}

}  // namespace

class ReadmePicturesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pictures() {
        MenuHarness h;
        WriteDemoHistory(h.tree / "kagaku",
                         DemoHistoryOptions{h.clock.TodayDate(),
                                            static_cast<int>(h.clock.SecondsSinceMidnight())});
        h.Start();
        QVERIFY2(h.ReadyNameList() != nullptr, qPrintable(h.Messages()));
        testing::SaveScreenshot(h.program->currentScreen(), "readme-name-screen");

        ui::seisekitime1* menu = SignIn(h, QStringLiteral("江口"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        QVERIFY(FilledLists(menu) >= 6);  // the best times of every timed level
        testing::SaveScreenshot(menu, "readme-level-menu");

        // The own-runs display and グラフ: the pupil's chart with its points.
        QTest::mouseClick(menu->findChild<QRadioButton*>("Option2_2"), Qt::LeftButton);
        QTRY_VERIFY(menu->findChild<QWidget*>("Picture6")->isHidden());
        QTest::mouseClick(menu->findChild<QPushButton*>("Command17"), Qt::LeftButton);
        auto* view = menu->findChild<ui::DetailView*>("Picture11");
        QTRY_VERIFY(view->isVisible());
        auto* canvas = view->findChild<ui::ReportCanvas*>("Picture12");
        QVERIFY(canvas->page().Points.size() > 10);
        // The first drawing is placed for the area as shown: the scale's top label lies in
        // the upper half of its block and the best times have their labels (a drawing placed
        // for a panel not yet laid out put the label low and dropped the others).
        int timeLabels = 0;
        for (const ReportText& t : canvas->page().Texts)
            timeLabels += t.FontScale == kChartLabelScale && t.X > 0.1 && t.Text.ends_with("秒");
        QVERIFY2(timeLabels >= 2, qPrintable(QString::number(timeLabels)));
        // The timed levels of the first three topics, and the list of the other pupils.
        auto* levels = view->findChild<QListWidget*>("List3");
        for (int row = 0; row < levels->count(); ++row)
            levels->item(row)->setSelected(row == 1 || row == 3 || row == 5);
        QTest::mouseClick(view->findChild<QPushButton*>("Command24_0"), Qt::LeftButton);
        QVERIFY(canvas->page().Points.size() > 30);
        QTest::mouseClick(view->findChild<QPushButton*>("Command25"), Qt::LeftButton);
        testing::SaveScreenshot(menu, "readme-detail-report");
        QVERIFY(h.messages.shown().empty());

        // A drill of the ions, the answer typed but not yet sent: typeset with its charge.
        h.program->StartDrillFor(5, "江口　蓮", 8);
        QTRY_VERIFY(qobject_cast<ui::MainFrm*>(h.program->currentScreen()) != nullptr);
        auto* drill = qobject_cast<ui::MainFrm*>(h.program->currentScreen());
        QVERIFY(drill->Drill() != nullptr);
        while (drill->Drill()->CorrectAnswer().find_first_of("-\\") == std::string::npos ||
               drill->Drill()->CorrectAnswer().size() < 4) {
            // Answer the plain ones until a question with a charge comes up.
            testing::TypeAnswer(drill, drill->Drill()->CorrectAnswer());
            QTest::keyClick(drill, Qt::Key_Return);
            QVERIFY(!drill->Drill()->AllDone());
        }
        h.clock.AdvanceSeconds(41);
        drill->OnClockTick();
        testing::TypeAnswer(drill, drill->Drill()->CorrectAnswer());
        testing::SaveScreenshot(drill, "readme-drill");

        // The rest of the run, and its result.
        int answers = 0;
        QTest::keyClick(drill, Qt::Key_Return);
        h.clock.AdvanceSeconds(30);
        while (qobject_cast<ui::MainFrm*>(h.program->currentScreen()) == drill &&
               !drill->Drill()->AllDone()) {
            testing::TypeAnswer(drill, drill->Drill()->CorrectAnswer());
            QTest::keyClick(drill, Qt::Key_Return);
            QVERIFY(++answers < 1000);
        }
        QTRY_VERIFY(qobject_cast<ui::FrmSyuuryou*>(h.program->currentScreen()) != nullptr);
        auto* result = qobject_cast<ui::FrmSyuuryou*>(h.program->currentScreen());
        QTRY_VERIFY(result->findChild<QPushButton*>("Command4")->isVisible());
        testing::SaveScreenshot(result, "readme-result");
    }
};

QTEST_MAIN(ReadmePicturesTest)
#include "readme_pictures_test.moc"
