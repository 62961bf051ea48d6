// The teacher's road through the administration screens on a copy of the demo tree: the data
// panel of the level menu, the level settings editor and the record manager, driven with real
// clicks and keys, and the files checked afterwards.

#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>

#include "common/text_ops.h"
#include "menu_support.h"
#include "ui/frmdata.h"
#include "ui/seisekitime1.h"

using namespace kagaku;
using testing::MenuHarness;
namespace fs = std::filesystem;

namespace {

ui::seisekitime1* SignInTeacher(MenuHarness& h) {
    return testing::SignIn(h, QStringLiteral("先生"));
}

template <typename T>
T* Child(MenuHarness& h, const QString& name) {
    return h.program->currentScreen()->findChild<T*>(name);
}

void Click(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

// Opens an administration screen from the data panel of a freshly shown menu.
bool OpenFromPanel(MenuHarness& h, int index, const char* screen) {
    if (!QTest::qWaitFor([&] { return h.ScreenIs("seisekitime1"); }, 5000))
        return false;
    auto* menu = qobject_cast<ui::seisekitime1*>(h.program->currentScreen());
    if (!QTest::qWaitFor([&] { return menu->keysReady(); }, 10000))
        return false;
    Click(Child<QPushButton>(h, "Command8"));
    Click(Child<QPushButton>(h, QStringLiteral("Command10_%1").arg(index)));
    return QTest::qWaitFor([&] { return h.ScreenIs(screen); }, 5000);
}

void ClickCell(QTableWidget* table, int row, int column) {
    const QRect r = table->visualItemRect(table->item(row, column));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, r.center());
}

void DoubleClickLine(QListView* list, int row) {
    const QRect r = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

// The screenshot once the screen has grown to the whole display (that arrives as an event).
void SaveFullScreenShot(QWidget* screen, const QString& name) {
    const QSize full = QGuiApplication::primaryScreen()->size();
    if (!QTest::qWaitFor([&] { return screen->size() == full; }, 3000))
        qWarning("the screen did not grow to the display");
    QTest::qWait(50);
    testing::SaveScreenshot(screen, name);
}

}  // namespace

class AdminScreensTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Sign in as 先生, open the panel (the start keys then do nothing), change a setting and
    // save it, correct one record and delete another, back to the menu; both files checked.
    void teachersWholeRoad() {
        MenuHarness h;
        h.WriteRuns({{2, 2, 50, 1}, {3, 2, 61, 1}, {4, 2, 72, 0}, {5, 2, 83, 0}, {6, 3, 94, 0}});
        h.Start();
        auto* menu = SignInTeacher(h);
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        auto* dataButton = Child<QPushButton>(h, "Command8");
        QVERIFY(dataButton->isVisible());
        Click(dataButton);
        QVERIFY(Child<QWidget>(h, "Picture7")->isVisible());
        QTest::keyClick(menu, Qt::Key_2);
        QTest::qWait(50);
        QVERIFY2(h.ScreenIs("seisekitime1"), "a start key worked while the panel showed");
        Click(Child<QPushButton>(h, "Command12"));
        QVERIFY(!Child<QWidget>(h, "Picture7")->isVisible());

        // The level settings editor: level 2's 目標Time becomes 77.
        QVERIFY(OpenFromPanel(h, 1, "FrmTimeData"));
        auto* table = Child<QTableWidget>(h, "MSFlexGrid1");
        QVERIFY(QTest::qWaitFor([&] { return table->rowCount() > 2; }, 5000));
        auto* edit = Child<QLineEdit>(h, "Gridinputtext");
        ClickCell(table, 1, 1);
        QTest::keyClick(edit, Qt::Key_Space);
        QTest::keyClicks(edit, "77");
        QCOMPARE(table->item(1, 1)->text(), QStringLiteral("77"));
        QCOMPARE(table->item(1, 1)->background().color(), QColor(0xFF, 0xFF, 0x00));
        auto* allRuns = Child<QListWidget>(h, "List3");
        QCOMPARE(allRuns->item(0)->text(), QStringLiteral("レベル2 今まで4回  （★=1）"));
        QCOMPARE(allRuns->count(), 102);
        QTest::keyClick(edit, Qt::Key_Down);
        QCOMPARE(allRuns->item(0)->text(), QStringLiteral("レベル3 今まで1回  （★=1）"));
        QVERIFY(Child<QLabel>(h, "Label3")->text().startsWith(QStringLiteral("合格基準タイム")));
        SaveFullScreenShot(h.program->currentScreen(), "frmtimedata");
        Click(Child<QPushButton>(h, "Command3"));
        const std::string settings = Cp932ToUtf8(
            testing::ReadBytes(h.DataFolder() / fs::u8path("タイム回数データ.txt")), "");
        QVERIFY2(text::Contains(settings, "\r\n77,"), settings.c_str());
        QCOMPARE(h.program->state().Settings.TargetTime[2], 77);
        Click(Child<QPushButton>(h, "Command4"));

        // The record manager: record 2 corrected to 45 s, then record 3 deleted.
        QVERIFY(OpenFromPanel(h, 0, "FrmData"));
        auto* list = Child<QListView>(h, "List1");
        QCOMPARE(list->model()->rowCount(), 5);
        QVERIFY(!Child<QPushButton>(h, "Command2")->isEnabled());
        DoubleClickLine(list, 1);
        QVERIFY(Child<QWidget>(h, "Picture3")->isVisible());
        QCOMPARE(Child<QLineEdit>(h, "Text1_1")->text(), QStringLiteral(" 61"));
        auto* seconds = Child<QLineEdit>(h, "Text1_1");
        seconds->selectAll();
        QTest::keyClicks(seconds, "45");
        const std::string beforeCorrection = testing::ReadBytes(h.RecordFile());
        Click(Child<QPushButton>(h, "Command2"));
        QCOMPARE(ReadScoreRecord(h.RecordFile(), 2).Seconds, 45);
        // Only record 2's pupil (bytes 16-17) and seconds (20-23) may change; its date, time
        // of day, level and text fields, and every other record, keep their bytes.
        const std::string afterCorrection = testing::ReadBytes(h.RecordFile());
        QCOMPARE(afterCorrection.size(), beforeCorrection.size());
        for (std::size_t i = 0; i < afterCorrection.size(); ++i) {
            const std::size_t inRecord = i % kScoreRecordSize;
            const bool mayChange = i / kScoreRecordSize == 1 &&
                                   ((inRecord >= 16 && inRecord <= 17) ||
                                    (inRecord >= 20 && inRecord <= 23));
            if (!mayChange && afterCorrection[i] != beforeCorrection[i])
                QFAIL(qPrintable(QStringLiteral("byte %1 of the file changed").arg(i)));
        }
        QCOMPARE(list->currentIndex().row(), 1);
        QVERIFY(!Child<QWidget>(h, "Picture3")->isVisible());

        DoubleClickLine(list, 2);
        h.messages.QueueAnswer(ui::MessageBoxes::Answer::Yes);
        Click(Child<QPushButton>(h, "Command3"));
        QCOMPARE(fs::file_size(h.RecordFile()), 4u * kScoreRecordSize);
        QCOMPARE(ReadScoreRecord(h.RecordFile(), 3).Seconds, 83);
        QCOMPARE(list->currentIndex().row(), 2);
        QVERIFY(list->model()->index(2, 0).data().toString().contains(QStringLiteral("   83秒")));
        QVERIFY(!fs::exists(DeletionCopyPath(h.RecordFile())));
        SaveFullScreenShot(h.program->currentScreen(), "frmdata");
        Click(Child<QPushButton>(h, "Command4"));
        QVERIFY(QTest::qWaitFor([&] { return h.ScreenIs("seisekitime1"); }, 5000));
        QVERIFY2(!h.Messages().contains(QStringLiteral("エラー")), qPrintable(h.Messages()));
    }

    // A comma is refused with the level and column named; leaving asks, and No keeps the file.
    void editorRefusesABreakingCellAndAsksBeforeLeaving() {
        MenuHarness h;
        h.Start();
        QVERIFY(SignInTeacher(h) != nullptr);
        const fs::path file = h.DataFolder() / fs::u8path("タイム回数データ.txt");
        const std::string before = testing::ReadBytes(file);
        QVERIFY(OpenFromPanel(h, 1, "FrmTimeData"));
        auto* table = Child<QTableWidget>(h, "MSFlexGrid1");
        QVERIFY(QTest::qWaitFor([&] { return table->rowCount() > 2; }, 5000));
        auto* edit = Child<QLineEdit>(h, "Gridinputtext");
        ClickCell(table, 2, 12);
        QTest::keyClicks(edit, "a,b");
        Click(Child<QPushButton>(h, "Command3"));
        QVERIFY2(h.Messages().contains(QStringLiteral("レベル3の12列目")),
                 qPrintable(h.Messages()));
        QCOMPARE(testing::ReadBytes(file), before);
        QCOMPARE(table->item(2, 12)->text(), QStringLiteral("a,b"));
        h.messages.QueueAnswer(ui::MessageBoxes::Answer::No);
        Click(Child<QPushButton>(h, "Command4"));
        QVERIFY(h.Messages().contains(QStringLiteral("データが変更されています。記録しますか？")));
        QVERIFY(QTest::qWaitFor([&] { return h.ScreenIs("seisekitime1"); }, 5000));
        QCOMPARE(testing::ReadBytes(file), before);
    }

    // A school's year of records: the manager opens on 100000 records and scrolls to the end.
    void managerListsAHundredThousandRecords() {
        MenuHarness h;
        std::vector<MenuHarness::Run> runs;
        runs.reserve(100000);
        for (int i = 0; i < 100000; ++i)
            runs.push_back({1 + i % 40, 1 + i % 12, 30 + i % 200, i % 300});
        h.WriteRuns(runs);
        h.Start();
        QVERIFY(SignInTeacher(h) != nullptr);
        QElapsedTimer timer;
        timer.start();
        ui::ShowRecordManager(*h.program);
        auto* list = Child<QListView>(h, "List1");
        QCOMPARE(list->model()->rowCount(), 100000);
        list->scrollToBottom();
        QTest::qWait(1);
        qInfo("manager opened on 100000 records and scrolled to the end in %lld ms",
              static_cast<long long>(timer.elapsed()));
        const QString last = list->model()->index(99999, 0).data().toString();
        QVERIFY2(last.startsWith(QStringLiteral("100000 ")), qPrintable(last));
        QVERIFY(list->viewport()->rect().contains(
            list->visualRect(list->model()->index(99999, 0)).center()));
    }
};

QTEST_MAIN(AdminScreensTest)
#include "admin_screens_test.moc"
