// The teacher's road through the administration screens on a copy of the demo tree: the data
// panel of the level menu, the level settings editor and the record manager, driven with real
// clicks and keys, and the files checked afterwards.

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTableWidget>
#include <QWheelEvent>

#include "admin/record_manager.h"
#include "common/text_ops.h"
#include "menu_support.h"
#include "records/child_process.h"
#include "platform/shared_file.h"
#include "records/backups.h"
#include "ui/shell/record_file_task.h"
#include "ui/menu/seisekitime1.h"
#include "ui/teacher/data_panel.h"
#include "ui/teacher/frmdata.h"
#include "ui/teacher/frmtimedata.h"

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

// The level settings editor opened from the panel, its grid filled; null after a wait.
QTableWidget* OpenEditor(MenuHarness& h) {
    if (!OpenFromPanel(h, 1, "FrmTimeData"))
        return nullptr;
    auto* table = Child<QTableWidget>(h, "MSFlexGrid1");
    if (!QTest::qWaitFor([&] { return table->rowCount() > 2; }, 5000))
        return nullptr;
    return table;
}

// Level 2's 目標Time typed as 77 (Space empties the cell first).
void Type77IntoLevel2(MenuHarness& h, QTableWidget* table) {
    auto* edit = Child<QLineEdit>(h, "Gridinputtext");
    ClickCell(table, 1, 1);
    QTest::keyClick(edit, Qt::Key_Space);
    QTest::keyClicks(edit, "77");
}

int CountOf(const QString& all, const QString& part) {
    return static_cast<int>(all.count(part));
}

// kagaku-admin (the real tool, another process: "another PC") deletes record n.
bool OtherPcDeletes(MenuHarness& h, int n) {
    testing::ChildProcess tool({KAGAKU_ADMIN_TOOL, "delete", "--record", std::to_string(n),
                                "--app-folder", PathText(h.tree / "kagaku")});
    int status = 0;
    tool.Finish(&status);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::int32_t> SecondsInFile(MenuHarness& h) {
    std::vector<std::int32_t> seconds;
    const std::string bytes = testing::ReadBytes(h.RecordFile());
    for (std::size_t at = 0; at + kScoreRecordSize <= bytes.size(); at += kScoreRecordSize)
        seconds.push_back(DecodeScoreRecord(bytes.data() + at).Seconds);
    return seconds;
}


// The grid once the editor has been resized to size and the columns have shared out its width.
bool ResizeEditor(QWidget* screen, QTableWidget* table, QSize size) {
    screen->setWindowState(Qt::WindowNoState);
    screen->resize(size);
    if (!QTest::qWaitFor(
            [&] {
                return screen->size() == size &&
                       table->horizontalHeader()->length() == table->viewport()->width();
            },
            3000))
        return false;
    QTest::qWait(50);  // whatever else the resize set going
    return true;
}

// Where the edit box is against where the grid draws the current cell; empty when they agree.
QString EditBoxMisplaced(QLineEdit* edit, QTableWidget* table) {
    const QRect cell = table->visualItemRect(table->currentItem());
    const QRect box = edit->geometry();
    if (box == cell)
        return {};
    return QStringLiteral("edit box %1,%2 %3x%4, cell (%5,%6) %7,%8 %9x%10")
        .arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height())
        .arg(table->currentRow()).arg(table->currentColumn())
        .arg(cell.x()).arg(cell.y()).arg(cell.width()).arg(cell.height());
}

// The first heading line wider than its column, or the heading row too low for its lines.
QString HeadingClipped(QTableWidget* table) {
    QHeaderView* header = table->horizontalHeader();
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    QFont bold = header->font();  // the current column's heading is drawn in bold
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    for (int c = 0; c < table->columnCount(); ++c) {
        const QStringList lines = table->horizontalHeaderItem(c)->text().split(u'\n');
        for (const QString& line : lines) {
            const int width = metrics.horizontalAdvance(line) + 2 * margin;
            if (width > header->sectionSize(c))
                return QStringLiteral("「%1」 needs %2 px, column %3 has %4")
                    .arg(line).arg(width).arg(c).arg(header->sectionSize(c));
        }
        const int height = static_cast<int>(lines.size()) * metrics.height();
        if (height > header->height())
            return QStringLiteral("「%1」 needs %2 px high, the headings have %3")
                .arg(lines.join(u'/')).arg(height).arg(header->height());
    }
    return {};
}

// What a form announced.
struct Outcomes {
    int closed = 0;
    int settingsSaved = 0;
    int backupsTaken = 0;
    std::int32_t savedTarget2 = 0;  // 目標Time of level 2 in the saved settings
};

// A form built as the program builds it, on the harness's setup, shown and ready; its signals
// counted into outcomes.
QWidget* OpenSettingsEditor(MenuHarness& h, ui::MessageBoxes& boxes, Outcomes& outcomes) {
    auto* form = new ui::FrmTimeData(h.program->setup(), boxes);
    QObject::connect(form, &ui::FrmTimeData::closed, form, [&outcomes] { ++outcomes.closed; });
    QObject::connect(form, &ui::FrmTimeData::settingsSaved, form,
                     [&outcomes](const LevelSettings& settings) {
                         ++outcomes.settingsSaved;
                         outcomes.savedTarget2 = settings.TargetTime[2];
                     });
    form->resize(1000, 700);
    form->show();
    auto* table = form->findChild<QTableWidget*>("MSFlexGrid1");
    if (!QTest::qWaitFor([&] { return table->rowCount() > 2; }, 5000))
        qWarning("the editor's grid did not fill");
    return form;
}

QWidget* OpenRecordManager(MenuHarness& h, ui::MessageBoxes& boxes, Outcomes& outcomes,
                           bool backupTaken) {
    auto* form = new ui::FrmData(h.program->setup(), backupTaken, h.clock, boxes);
    QObject::connect(form, &ui::FrmData::closed, form, [&outcomes] { ++outcomes.closed; });
    QObject::connect(form, &ui::FrmData::changeBackupTaken, form,
                     [&outcomes] { ++outcomes.backupsTaken; });
    form->resize(1000, 700);
    form->show();
    return form;
}

void TypeIntoCell(QWidget* form, int row, int column, const char* text) {
    auto* table = form->findChild<QTableWidget*>("MSFlexGrid1");
    auto* edit = form->findChild<QLineEdit*>("Gridinputtext");
    ClickCell(table, row, column);
    QTest::keyClick(edit, Qt::Key_Space);
    QTest::keyClicks(edit, text);
}

std::vector<std::string> BeforeChangeCopies(const fs::path& recordFile) {
    std::vector<std::string> copies;
    const fs::path folder = BackupFolderOf(recordFile);
    if (!fs::exists(folder))
        return copies;
    for (const auto& e : fs::directory_iterator(folder)) {
        const auto parsed = ParseBackupFileName(PathText(e.path().filename()));
        if (parsed && parsed->Kind == BackupKind::BeforeChange)
            copies.push_back(PathText(e.path().filename()));
    }
    return copies;
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
        QCOMPARE(h.program->editedLevelSettings().TargetTime[2], 77);
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
    // The settings editor at the classroom's screen sizes: the edit box lagged the columns'
    // sharing out of a new width (it sat columns away from the current cell, at another width),
    // and the headings were cut off in the narrow columns. After every resize, click and scroll
    // the box covers exactly the current cell, and every heading line fits its column.
    void editorEditBoxCoversTheCurrentCellAndHeadingsReadWhole() {
        struct Cell {
            int row;
            int column;
        };
        const struct {
            const char* name;
            QSize size;
            std::vector<Cell> cells;
            bool scroll;
        } cases[] = {
            {"1024x768", {1024, 768}, {{1, 8}, {0, 1}, {11, 12}, {5, 5}}, false},
            {"1280x1024", {1280, 1024}, {{1, 8}, {3, 10}, {7, 3}}, false},
            {"1920x1080", {1920, 1080}, {{1, 8}, {10, 12}, {2, 1}}, false},
            {"1280x520 scrolled", {1280, 520}, {{1, 8}, {2, 4}}, true},
        };
        MenuHarness h;
        h.Start();
        QVERIFY2(SignInTeacher(h) != nullptr, qPrintable(h.Messages()));
        QTableWidget* table = OpenEditor(h);
        QVERIFY(table != nullptr);
        auto* edit = Child<QLineEdit>(h, "Gridinputtext");
        QWidget* screen = h.program->currentScreen();
        for (const auto& c : cases) {
            QVERIFY2(ResizeEditor(screen, table, c.size), c.name);
            // The cell that was current when the size changed.
            QVERIFY2(EditBoxMisplaced(edit, table).isEmpty(),
                     qPrintable(QStringLiteral("%1 after the resize: %2")
                                    .arg(c.name, EditBoxMisplaced(edit, table))));
            QVERIFY2(HeadingClipped(table).isEmpty(),
                     qPrintable(QStringLiteral("%1: %2").arg(c.name, HeadingClipped(table))));
            for (const Cell& cell : c.cells) {
                ClickCell(table, cell.row, cell.column);
                QCOMPARE(table->currentRow(), cell.row);
                QCOMPARE(table->currentColumn(), cell.column);
                QVERIFY2(EditBoxMisplaced(edit, table).isEmpty(),
                         qPrintable(QStringLiteral("%1: %2")
                                        .arg(c.name, EditBoxMisplaced(edit, table))));
            }
            if (c.scroll) {
                QScrollBar* bar = table->verticalScrollBar();
                QVERIFY2(bar->maximum() > 0, "the short grid should scroll");
                const QPoint at = table->viewport()->rect().center();
                QWheelEvent wheel(at, table->viewport()->mapToGlobal(at), {}, {0, -360},
                                  Qt::NoButton, {}, Qt::NoScrollPhase, false);
                QApplication::sendEvent(table->viewport(), &wheel);
                QVERIFY(QTest::qWaitFor([&] { return bar->value() > 0; }, 2000));
                QVERIFY2(EditBoxMisplaced(edit, table).isEmpty(),
                         qPrintable(QStringLiteral("%1 after the wheel: %2")
                                        .arg(c.name, EditBoxMisplaced(edit, table))));
            }
            testing::SaveScreenshot(screen, QStringLiteral("frmtimedata_%1x%2")
                                                .arg(c.size.width())
                                                .arg(c.size.height()));
        }
    }

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

    // The check for another PC's change meets a settings file that is there but cannot be read
    // (here a folder in its place): the editor's file message, every edit kept, the editor
    // open; on 更新記録 and on 戻る → はい, whether the editor opened on its "could not read"
    // message or the file was replaced after it opened.
    void editorKeepsEditsWhenTheFileCannotBeReadAtSave() {
        struct Case {
            const char* name;
            bool unreadableAtOpening;
            bool viaBack;
        } cases[] = {
            {"opened on 読めませんでした, 更新記録", true, false},
            {"opened on 読めませんでした, 戻る → はい", true, true},
            {"replaced after opening, 更新記録", false, false},
            {"replaced after opening, 戻る → はい", false, true},
        };
        for (const Case& c : cases) {
            MenuHarness h;
            h.Start();
            QVERIFY2(SignInTeacher(h) != nullptr, c.name);
            const fs::path file = h.DataFolder() / fs::u8path("タイム回数データ.txt");
            const auto unreadable = [&] {
                fs::remove(file);
                fs::create_directory(file);
            };
            if (c.unreadableAtOpening)
                unreadable();
            QTableWidget* table = OpenEditor(h);
            QVERIFY2(table != nullptr, c.name);
            QCOMPARE(CountOf(h.Messages(), QStringLiteral("設定のファイルを読めませんでした")),
                     c.unreadableAtOpening ? 1 : 0);
            if (!c.unreadableAtOpening)
                unreadable();
            Type77IntoLevel2(h, table);
            h.messages.QueueAnswer(ui::MessageBoxes::Answer::Yes);  // 記録しますか？ (戻る)
            Click(Child<QPushButton>(h, c.viaBack ? "Command4" : "Command3"));
            QTest::qWait(50);
            QVERIFY2(h.ScreenIs("FrmTimeData"), c.name);
            QVERIFY2(h.Messages().contains(QStringLiteral(
                         "設定を記録できませんでした。入力した内容はそのまま残っています。")),
                     qPrintable(QString(c.name) + "\n" + h.Messages()));
            QVERIFY2(h.Messages().contains(QStringLiteral("フォルダ")), qPrintable(h.Messages()));
            QCOMPARE(table->item(1, 1)->text(), QStringLiteral("77"));
            QCOMPARE(table->item(1, 1)->background().color(), QColor(0xFF, 0xFF, 0x00));
        }
    }

    // A settings file that is there but damaged: said once, on opening; a save writes a whole
    // new file without asking about another PC's change.
    void editorOnADamagedFileSaysSoOnceAndSavesWithoutTheQuestion() {
        MenuHarness h;
        h.Start();
        QVERIFY(SignInTeacher(h) != nullptr);
        const fs::path file = h.DataFolder() / fs::u8path("タイム回数データ.txt");
        WriteFileAtomically(file, Utf8ToCp932("目標Time,最低Time\r\n45,60,100\r\n", ""));  // ends mid-group
        QTableWidget* table = OpenEditor(h);
        QVERIFY(table != nullptr);
        QCOMPARE(CountOf(h.Messages(), QStringLiteral("設定のファイルがこわれていて")), 1);
        QVERIFY2(h.Messages().contains(QStringLiteral("いま使われている設定")),
                 qPrintable(h.Messages()));
        SaveFullScreenShot(h.program->currentScreen(), "frmtimedata_damaged");
        Type77IntoLevel2(h, table);
        Click(Child<QPushButton>(h, "Command3"));
        QVERIFY2(!h.Messages().contains(QStringLiteral("ほかのパソコンで変更されています")),
                 qPrintable(h.Messages()));
        QCOMPARE(CountOf(h.Messages(), QStringLiteral("こわれて")), 1);
        const std::string settings = Cp932ToUtf8(testing::ReadBytes(file), "");
        QVERIFY2(text::Contains(settings, "\r\n77,"), settings.c_str());
        QVERIFY2(text::Contains(settings, "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ"), settings.c_str());
        QCOMPARE(h.program->editedLevelSettings().TargetTime[2], 77);
    }

    // Another PC (kagaku-admin delete, a real process) deletes record 2 after the list was
    // read: every later record moved up one number. The double click on record 3's line, and
    // 消去 under the lock, compare with the bytes of the line the teacher chose: the message,
    // the list read again, nothing written.
    void managerNoticesAnotherPcsDeletion() {
        MenuHarness h;
        h.WriteRuns({{2, 2, 50, 1}, {3, 2, 61, 1}, {4, 2, 72, 0}, {5, 2, 83, 0}, {6, 3, 94, 0}});
        h.Start();
        QVERIFY(SignInTeacher(h) != nullptr);
        QVERIFY(OpenFromPanel(h, 0, "FrmData"));
        auto* list = Child<QListView>(h, "List1");
        auto* panel = Child<QWidget>(h, "Picture3");
        const QString changed = QString::fromUtf8(admin::kRecordChangedMessage);

        QVERIFY(OtherPcDeletes(h, 2));
        DoubleClickLine(list, 2);  // record 3, 72 s; the file's record 3 is 83 s now
        QVERIFY2(!panel->isVisible(), "the panel opened on the record after the chosen one");
        QCOMPARE(CountOf(h.Messages(), changed), 1);
        QCOMPARE(list->model()->rowCount(), 4);

        DoubleClickLine(list, 2);  // record 3 as read again: 83 s
        QVERIFY(panel->isVisible());
        QCOMPARE(Child<QLineEdit>(h, "Text1_1")->text(), QStringLiteral(" 83"));
        QVERIFY(OtherPcDeletes(h, 1));
        h.messages.QueueAnswer(ui::MessageBoxes::Answer::Yes);  // 本当に消去しますか
        Click(Child<QPushButton>(h, "Command3"));
        QCOMPARE(CountOf(h.Messages(), changed), 2);
        QCOMPARE(SecondsInFile(h), (std::vector<std::int32_t>{72, 83, 94}));
        QCOMPARE(list->model()->rowCount(), 3);
        QVERIFY(!panel->isVisible());

        DoubleClickLine(list, 0);  // record 1: 72 s
        QVERIFY(OtherPcDeletes(h, 1));
        auto* seconds = Child<QLineEdit>(h, "Text1_1");
        seconds->selectAll();
        QTest::keyClicks(seconds, "45");
        Click(Child<QPushButton>(h, "Command2"));
        QCOMPARE(CountOf(h.Messages(), changed), 3);
        QCOMPARE(SecondsInFile(h), (std::vector<std::int32_t>{83, 94}));
    }

    // The edit panel belongs to the line it was opened on: the arrow keys moving the selection
    // close it, as a click does.
    void managerPanelClosesWhenTheArrowKeysMoveTheSelection() {
        {
            MenuHarness h;
            h.WriteRuns({{2, 2, 50, 1}, {3, 2, 61, 1}, {4, 2, 72, 0}});
            h.Start();
            QVERIFY(SignInTeacher(h) != nullptr);
            QVERIFY(OpenFromPanel(h, 0, "FrmData"));
            auto* list = Child<QListView>(h, "List1");
            DoubleClickLine(list, 0);
            QVERIFY(Child<QWidget>(h, "Picture3")->isVisible());
            QTest::keyClick(list, Qt::Key_Down);
            QCOMPARE(list->currentIndex().row(), 1);
            QVERIFY2(!Child<QWidget>(h, "Picture3")->isVisible(),
                     "消去 would delete record 1 while record 2 is highlighted");
        }
    }

    // Deleting the last remaining record closes the panel (no line to select after it).
    void managerPanelClosesAfterTheLastRecordIsDeleted() {
        {
            MenuHarness h;
            h.WriteRuns({{2, 2, 50, 1}});
            h.Start();
            QVERIFY(SignInTeacher(h) != nullptr);
            QVERIFY(OpenFromPanel(h, 0, "FrmData"));
            auto* list = Child<QListView>(h, "List1");
            DoubleClickLine(list, 0);
            QVERIFY(Child<QWidget>(h, "Picture3")->isVisible());
            h.messages.QueueAnswer(ui::MessageBoxes::Answer::Yes);
            Click(Child<QPushButton>(h, "Command3"));
            QCOMPARE(fs::file_size(h.RecordFile()), 0u);
            QCOMPARE(list->model()->rowCount(), 0);
            QVERIFY2(!Child<QWidget>(h, "Picture3")->isVisible(),
                     "the panel still shows the deleted record");
        }
    }

    // A box whose answer decides what follows is window-modal: no click reaches the form while
    // it is open. A click that arrives all the same (a timer's work can deliver one) does
    // nothing: no second box, no second save or deletion, no way back beneath the box. Each
    // form once its box is answered goes on once, as the answer says.
    void clicksWhileABoxIsOpenDoNothing() {
        struct Case {
            const char* name;
            bool settingsEditor;                       // else the record manager
            std::function<void(MenuHarness&, QWidget*)> prepare;  // before the press
            const char* press;                         // opens the box
            std::vector<const char*> meanwhile;        // clicked while the box is open
            std::function<QString(MenuHarness&, const Outcomes&)> verdict;  // empty when right
        };
        const fs::path settingsName = fs::u8path("タイム回数データ.txt");
        const Case cases[] = {
            {"editor: 戻る asks 記録しますか？; 戻る and 更新記録 meanwhile", true,
             [](MenuHarness&, QWidget* form) { TypeIntoCell(form, 1, 1, "77"); }, "Command4",
             {"Command4", "Command3", "Command2"},
             [](MenuHarness&, const Outcomes& o) {
                 return o.settingsSaved == 1 && o.savedTarget2 == 77 && o.closed == 1
                            ? QString()
                            : QStringLiteral("saved %1 (%2), closed %3")
                                  .arg(o.settingsSaved)
                                  .arg(o.savedTarget2)
                                  .arg(o.closed);
             }},
            {"editor: 更新記録 asks about another PC's change; 更新記録 and 戻る meanwhile", true,
             [settingsName](MenuHarness& h, QWidget* form) {
                 TypeIntoCell(form, 1, 1, "77");
                 const fs::path file = h.DataFolder() / settingsName;
                 WriteFileAtomically(file, testing::ReadBytes(file) + "\r\n");
             },
             "Command3", {"Command3", "Command4"},
             [](MenuHarness&, const Outcomes& o) {
                 return o.settingsSaved == 1 && o.closed == 0
                            ? QString()
                            : QStringLiteral("saved %1, closed %2").arg(o.settingsSaved).arg(o.closed);
             }},
            {"manager: 消去 asks 本当に消去しますか; 消去, 変更して記録 and 戻る meanwhile", false,
             [](MenuHarness&, QWidget* form) {
                 DoubleClickLine(form->findChild<QListView*>("List1"), 0);
             },
             "Command3", {"Command3", "Command2", "Command4"},
             [](MenuHarness& h, const Outcomes& o) {
                 return SecondsInFile(h) == std::vector<std::int32_t>{61, 72} && o.closed == 0 &&
                                o.backupsTaken == 1
                            ? QString()
                            : QStringLiteral("%1 records left, closed %2, copies %3")
                                  .arg(SecondsInFile(h).size())
                                  .arg(o.closed)
                                  .arg(o.backupsTaken);
             }},
        };
        for (const Case& c : cases) {
            MenuHarness h;
            h.WriteRuns({{2, 2, 50, 1}, {3, 2, 61, 1}, {4, 2, 72, 0}});
            h.Start();
            QVERIFY2(h.ReadyNameList() != nullptr, c.name);
            testing::SelfAnsweringMessageBoxes boxes;
            Outcomes outcomes;
            std::unique_ptr<QWidget> form(c.settingsEditor
                                              ? OpenSettingsEditor(h, boxes, outcomes)
                                              : OpenRecordManager(h, boxes, outcomes, false));
            c.prepare(h, form.get());
            bool ranMeanwhile = false;
            boxes.whileOpen = [&] {
                if (ranMeanwhile)
                    return;
                ranMeanwhile = true;
                for (const char* name : c.meanwhile)
                    form->findChild<QPushButton*>(name)->click();
            };
            Click(form->findChild<QPushButton*>(c.press));
            QVERIFY2(QTest::qWaitFor([&] { return ranMeanwhile; }, 3000), c.name);
            QTest::qWait(boxes.openMilliseconds + 200);
            QVERIFY2(boxes.shown().size() == 1,
                     qPrintable(QStringLiteral("%1: %2 boxes").arg(c.name).arg(boxes.shown().size())));
            const QString wrong = c.verdict(h, outcomes);
            QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(c.name, wrong)));
        }
    }

    // The record manager keeps the copy before a change once per sign-in: the program says
    // whether this sign-in has one, and the form announces the copy it takes.
    void managerTakesTheCopyOnlyWhereTheSignInHasNone() {
        const struct {
            const char* name;
            bool takenBefore;
            std::size_t copies;
            int announced;
        } cases[] = {
            {"first change of the sign-in: one copy, announced once for two changes", false, 1, 1},
            {"copy kept earlier in the sign-in: no second one", true, 0, 0},
        };
        for (const auto& c : cases) {
            MenuHarness h;
            h.WriteRuns({{2, 2, 50, 1}, {3, 2, 61, 1}});
            h.Start();
            QVERIFY2(h.ReadyNameList() != nullptr, c.name);
            testing::FakeMessageBoxes boxes;
            Outcomes outcomes;
            std::unique_ptr<QWidget> form(OpenRecordManager(h, boxes, outcomes, c.takenBefore));
            auto* list = form->findChild<QListView*>("List1");
            for (const char* seconds : {"45", "46"}) {
                DoubleClickLine(list, 0);
                auto* entry = form->findChild<QLineEdit*>("Text1_1");
                entry->selectAll();
                QTest::keyClicks(entry, seconds);
                Click(form->findChild<QPushButton*>("Command2"));
            }
            QCOMPARE(ReadScoreRecord(h.RecordFile(), 1).Seconds, 46);
            QVERIFY2(BeforeChangeCopies(h.RecordFile()).size() == c.copies, c.name);
            QVERIFY2(outcomes.backupsTaken == c.announced, c.name);
            QVERIFY2(outcomes.closed == 0, c.name);
            Click(form->findChild<QPushButton*>("Command4"));
            QVERIFY2(outcomes.closed == 1, c.name);
            QVERIFY2(boxes.shown().empty(), qPrintable(QString::fromUtf8(c.name)));
        }
    }

    // The data panel opens no form itself: each button announces its own form, once; a second
    // click while the form is being shown announces nothing more. The panel shows only once
    // the password gate allows it.
    void dataPanelAnnouncesTheFormAskedFor() {
        using Signal = void (ui::DataPanel::*)();
        const struct {
            const char* button;
            Signal signal;
            bool again;  // a second click may announce again (the panel stays for it)
        } cases[] = {
            {"Command10_0", &ui::DataPanel::recordManagerAsked, false},
            {"Command10_1", &ui::DataPanel::levelSettingsAsked, false},
            {"Command10_2", &ui::DataPanel::backupRestoreAsked, true},
            {"MistakeRankingOpen", &ui::DataPanel::mistakeRankingAsked, true},
        };
        const Signal all[] = {&ui::DataPanel::recordManagerAsked,
                              &ui::DataPanel::levelSettingsAsked,
                              &ui::DataPanel::backupRestoreAsked,
                              &ui::DataPanel::mistakeRankingAsked};
        testing::TempDir dir;
        for (const auto& c : cases) {
            QWidget menu;
            menu.resize(800, 600);
            bool allow = false;
            int asked = 0;
            auto* panel = new ui::DataPanel(
                [&](QWidget*, std::function<void(bool)> done) {
                    ++asked;
                    done(allow);
                },
                dir.path() / "成績累積データ.dat", &menu);
            menu.show();
            panel->button()->show();
            std::vector<std::unique_ptr<QSignalSpy>> spies;
            for (const Signal s : all)
                spies.push_back(std::make_unique<QSignalSpy>(panel, s));
            Click(panel->button());
            QVERIFY2(!panel->IsShown(), "the panel opened though the gate refused");
            allow = true;
            Click(panel->button());
            QVERIFY(panel->IsShown());
            QCOMPARE(asked, 2);
            auto* button = menu.findChild<QPushButton*>(c.button);
            Click(button);
            if (button->isVisible())
                Click(button);
            for (std::size_t i = 0; i < spies.size(); ++i) {
                const int expected = all[i] == c.signal ? 1 : 0;
                const int count = static_cast<int>(spies[i]->count());
                QVERIFY2(count == expected || (c.again && all[i] == c.signal && count == 2),
                         qPrintable(QStringLiteral("%1: signal %2 came %3 times")
                                        .arg(c.button)
                                        .arg(i)
                                        .arg(count)));
            }
        }
    }

    // While another PC holds the score file a deletion waits, tried again from a timer with the
    // form drawn. Clicks meanwhile do nothing: no second deletion or box, no way back that
    // would drop the deletion, no panel on another line. The deletion goes through once, when
    // the file is free, and the list shows the line after it.
    void managerWaitsForABusyFileWhileClicksDoNothing() {
        MenuHarness h;
        h.WriteRuns({{2, 2, 50, 1}, {3, 2, 61, 1}, {4, 2, 72, 0}});
        h.Start();
        QVERIFY(h.ReadyNameList() != nullptr);
        testing::FakeMessageBoxes boxes;
        Outcomes outcomes;
        std::unique_ptr<QWidget> form(OpenRecordManager(h, boxes, outcomes, true));
        auto* list = form->findChild<QListView*>("List1");
        DoubleClickLine(list, 0);
        auto holder =
            std::make_unique<SharedFile>(h.RecordFile(), SharedFile::Mode::ReadWriteCreate);
        QVERIFY(holder->TryLockRange(kRecordLockOffset, kRecordLockLength));
        Click(form->findChild<QPushButton*>("Command3"));  // 本当に消去しますか: OK
        QVERIFY(form->findChild<ui::RecordFileTask*>() != nullptr);
        for (const char* name : {"Command3", "Command2", "Command4"})
            form->findChild<QPushButton*>(name)->click();
        DoubleClickLine(list, 2);
        QTest::qWait(200);
        QCOMPARE(SecondsInFile(h), (std::vector<std::int32_t>{50, 61, 72}));
        QCOMPARE(boxes.shown().size(), std::size_t{1});
        QCOMPARE(outcomes.closed, 0);
        QVERIFY(!form->findChild<QWidget*>("Picture3")->isVisible());

        holder.reset();  // the other PC is done
        QTRY_COMPARE(SecondsInFile(h), (std::vector<std::int32_t>{61, 72}));
        QTRY_VERIFY(form->findChild<ui::RecordFileTask*>() == nullptr);
        QCOMPARE(list->model()->rowCount(), 2);
        QCOMPARE(list->currentIndex().row(), 0);
        QCOMPARE(boxes.shown().size(), std::size_t{1});
        QCOMPARE(outcomes.closed, 0);
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
        h.program->ShowRecordManager();
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
