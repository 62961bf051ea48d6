// How often each screen reads the score file on its way in (each read is a round trip on the
// school's share): the name screen, a level menu refresh and the result screen, counted with
// the record layer's read counter on the pupil's whole road.

#include <QPushButton>

#include "common/text_ops.h"
#include "menu_support.h"
#include "platform/shared_file.h"
#include "records/backups.h"
#include "support/typing.h"
#include "ui/result/frmsyuuryou.h"
#include "ui/drill/mainfrm.h"
#include "ui/menu/seisekitime1.h"

using namespace kagaku;
using testing::MenuHarness;

namespace {

ui::seisekitime1* ReadyMenu(MenuHarness& h) {
    if (!QTest::qWaitFor([&] { return h.ScreenIs("seisekitime1"); }, 10000))
        return nullptr;
    auto* menu = qobject_cast<ui::seisekitime1*>(h.program->currentScreen());
    if (!QTest::qWaitFor([&] { return menu->keysReady(); }, 10000))
        return nullptr;
    return menu;
}

std::uint64_t ReadsSince(std::uint64_t before) {
    return SharedFile::ReadCallCount() - before;
}

}  // namespace

class ScoreFileReadsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The name screen read the file twice on its way in (once for the load's list, once more
    // for the first activation's change of mode); the menu refresh and the result screen must
    // not read it more often than their lists need either.
    void eachScreenReadsTheScoreFileOnce() {
        MenuHarness h;
        h.WriteRuns({{5, 2, 80, 1}, {7, 2, 55, 0}, {5, 3, 70, 0}});
        // The day's first append also copies the score file for the daily backup, once a day
        // on whichever PC; another PC has done so today already here, so only the screens'
        // own reads are counted.
        QVERIFY(TakeDailyBackup(h.RecordFile(), h.clock.Now()));
        std::uint64_t before = SharedFile::ReadCallCount();
        h.Start();
        QListWidget* list = h.ReadyNameList();
        QVERIFY2(list != nullptr, qPrintable(h.Messages()));
        const std::uint64_t nameScreen = ReadsSince(before);

        const QString name =
            QString::fromStdString(text::Trim(h.program->roster().RosterName[5]));
        list->setCurrentRow(testing::RowOf(list, name));
        before = SharedFile::ReadCallCount();
        QTest::keyClick(list, Qt::Key_1);
        ui::seisekitime1* menu = ReadyMenu(h);
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        const std::uint64_t menuRefresh = ReadsSince(before);

        QTest::keyClick(menu, Qt::Key_2);
        QTRY_VERIFY(qobject_cast<ui::MainFrm*>(h.program->currentScreen()) != nullptr);
        auto* drill = qobject_cast<ui::MainFrm*>(h.program->currentScreen());
        h.clock.AdvanceSeconds(37.2);
        int answers = 0;
        while (h.program->currentScreen() == drill && !drill->Drill()->AllDone()) {
            testing::TypeAnswer(drill, drill->Drill()->CorrectAnswer());
            before = SharedFile::ReadCallCount();  // the last answer ends the run
            QTest::keyClick(drill, Qt::Key_Return);
            QVERIFY(++answers <= 2 * drill->Drill()->ProblemCount());
        }
        QTRY_VERIFY(qobject_cast<ui::FrmSyuuryou*>(h.program->currentScreen()) != nullptr);
        QWidget* result = h.program->currentScreen();
        QTRY_VERIFY(result->findChild<QPushButton*>("Command4")->isVisible());
        const std::uint64_t endOfRunAndResult = ReadsSince(before);

        qInfo("score file reads: name screen %llu, menu refresh %llu, end of run and result %llu",
              static_cast<unsigned long long>(nameScreen),
              static_cast<unsigned long long>(menuRefresh),
              static_cast<unsigned long long>(endOfRunAndResult));
        QCOMPARE(nameScreen, std::uint64_t{1});
        QCOMPARE(menuRefresh, std::uint64_t{1});
        QCOMPARE(endOfRunAndResult, std::uint64_t{1});
        QVERIFY2(h.messages.shown().empty(), qPrintable(h.Messages()));
    }
};

QTEST_MAIN(ScoreFileReadsTest)
#include "score_file_reads_test.moc"
