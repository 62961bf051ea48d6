// The teacher's "バックアップから戻す" on a copy of the demo tree: the data panel's fourth button,
// the list with a damaged backup marked, the confirmation, the restore and its copy of the file
// as it was; a busy score file waited for from a timer, with clicks arriving meanwhile; and the
// record manager's copy before its first change.

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTimer>

#include "menu_support.h"
#include "platform/shared_file.h"
#include "records/backups.h"
#include "ui/shell/record_file_task.h"
#include "ui/teacher/backup_restore_dialog.h"
#include "ui/teacher/frmdata.h"

using namespace kagaku;
using testing::MenuHarness;
namespace fs = std::filesystem;

namespace {

const char* const kGood = "成績累積データ_20260601.dat";
const char* const kCut = "成績累積データ_20260602.dat";

void Click(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

template <typename T>
T* In(QWidget* w, const QString& name) {
    return w->findChild<T*>(name);
}

std::string RecordBytes(int count, int pupil) {
    std::string bytes;
    for (int i = 1; i <= count; ++i) {
        ScoreRecord r;
        r.RunDate = ToOleDate(CivilDate{2026, 5, 30});
        r.RunTimeOfDay = 0.5;
        r.PupilNumber = static_cast<std::int16_t>(pupil);
        r.Level = 2;
        r.Seconds = 40 + i;
        const auto b = EncodeScoreRecord(r);
        bytes.append(b.data(), b.size());
    }
    return bytes;
}

// A good backup of three records and one cut short.
void WriteBackups(const fs::path& recordFile) {
    const fs::path folder = BackupFolderOf(recordFile);
    fs::create_directories(folder);
    WriteCheckedCopy(folder / fs::u8path(kGood), RecordBytes(3, 2));
    WriteCheckedCopy(folder / fs::u8path(kCut), RecordBytes(3, 3));
    fs::resize_file(folder / fs::u8path(kCut), 100);
}

std::vector<std::string> SavedBeforeRestore(const fs::path& recordFile) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(BackupFolderOf(recordFile))) {
        const std::string name = PathText(e.path().filename());
        const auto parsed = ParseBackupFileName(name);
        if (parsed && parsed->Kind == BackupKind::BeforeRestore)
            names.push_back(name);
    }
    return names;
}

// The screen as the teacher sees it: the menu with the dialog over it.
void SaveWithDialog(QWidget* screen, QWidget* dialog, const QString& name) {
    QTest::qWait(50);
    QPixmap all = screen->window()->grab();
    QPainter painter(&all);
    painter.drawPixmap(dialog->geometry().topLeft() - screen->window()->geometry().topLeft(),
                       dialog->grab());
    painter.end();
    const QString path = QStringLiteral("%1/%2-%3x%4.png")
                             .arg(QStringLiteral(KAGAKU_SCREENSHOT_DIR), name)
                             .arg(all.width())
                             .arg(all.height());
    all.save(path);
    testing::SaveScreenshot(dialog, name + QStringLiteral("-alone"));
}

// Nothing of the dialog's text may be cut off: every label fits its text.
bool LabelsFit(QWidget* dialog) {
    QTest::qWait(20);  // the layout follows a new text by an event
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (!label->isVisible())
            continue;
        const int needed =
            label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
        if (needed > label->height() + 2 || label->geometry().right() > dialog->width()) {
            qWarning("%s needs %d pixels, has %d", qPrintable(label->objectName()), needed,
                     label->height());
            return false;
        }
    }
    return true;
}

}  // namespace

class BackupRestoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // From the data panel: the failure notice, the list with the damaged backup marked and
    // refused (naming the file), then the good one restored after the confirmation; a second
    // click on 戻す restores nothing more; closing shows the menu on the restored records.
    void restoreFromTheDataPanel() {
        MenuHarness h;
        h.WriteRuns({{2, 2, 50, 1}, {3, 2, 61, 1}, {4, 2, 72, 0}, {5, 2, 83, 0}, {6, 3, 94, 0}});
        WriteBackups(h.RecordFile());
        const fs::path log = BackupFolderOf(h.RecordFile()) / fs::u8path(kBackupFailureLogName);
        WriteFileAtomically(
            log, Utf8ToCp932("2026/06/10 9:00:00 成績累積データ_20260610.dat: "
                             "バックアップを書けませんでした（ディスクがいっぱいです）\r\n",
                             ""));
        const std::string before = testing::ReadBytes(h.RecordFile());
        h.Start();
        auto* menu = testing::SignIn(h, QStringLiteral("先生"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        Click(In<QPushButton>(menu, "Command8"));
        auto* notice = In<QLabel>(menu, "BackupFailureNotice");
        QVERIFY(notice->isVisible());
        QVERIFY(notice->text().contains(QStringLiteral("ディスクがいっぱいです")));
        testing::SaveScreenshot(menu, "data_panel_with_backups");
        Click(In<QPushButton>(menu, "Command10_2"));
        auto* dialog = menu->findChild<ui::BackupRestoreDialog*>("BackupRestore");
        QVERIFY(dialog != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(dialog->windowModality(), Qt::WindowModal);
        QSignalSpy refused(dialog, &ui::BackupRestoreDialog::refused);
        QSignalSpy restored(dialog, &ui::BackupRestoreDialog::restored);

        auto* list = In<QListWidget>(dialog, "BackupList");
        QCOMPARE(list->count(), 2);
        QVERIFY2(list->item(0)->text().contains(QStringLiteral("×壊れています")),
                 qPrintable(list->item(0)->text()));
        QCOMPARE(list->item(1)->text(),
                 QStringLiteral("2026/06/01           毎日　  記録3件  最後の記録 2026/05/30"));
        QCOMPARE(In<QLabel>(dialog, "BackupNow")->text(),
                 QStringLiteral("いまの成績ファイル: 記録5件（最後の記録 2026/06/10）"));
        QVERIFY(In<QLabel>(dialog, "BackupFailure")->isVisible());

        // The damaged one: refused with its file named, nothing changed.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        Click(In<QPushButton>(dialog, "RestoreButton"));
        QCOMPARE(refused.count(), 1);
        QVERIFY(refused.at(0).at(0).toString().contains(
            QString::fromStdString(PathText(BackupFolderOf(h.RecordFile()) / fs::u8path(kCut)))));
        QVERIFY(In<QLabel>(dialog, "BackupStatus")->text().contains(QStringLiteral("戻せません")));
        QCOMPARE(In<QStackedWidget>(dialog, "BackupPages")->currentIndex(), 0);
        QVERIFY(LabelsFit(dialog));
        SaveWithDialog(menu, dialog, "backup_restore_list");

        // The good one: the confirmation says what will change.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(1)).center());
        Click(In<QPushButton>(dialog, "RestoreButton"));
        QCOMPARE(In<QStackedWidget>(dialog, "BackupPages")->currentIndex(), 1);
        const QString question = In<QLabel>(dialog, "RestoreQuestion")->text();
        QVERIFY2(question.contains(
                     QStringLiteral("いまの記録: 5件（最後の記録 2026/06/10）\n戻したあと: "
                                    "3件（最後の記録 2026/05/30）\n2件の記録がなくなります。")),
                 qPrintable(question));
        QVERIFY(LabelsFit(dialog));
        SaveWithDialog(menu, dialog, "backup_restore_confirm");
        QCOMPARE(testing::ReadBytes(h.RecordFile()), before);

        auto* confirm = In<QPushButton>(dialog, "ConfirmRestore");
        Click(confirm);
        Click(confirm);  // arrives after the restore: must not restore (or save) again
        QCOMPARE(restored.count(), 1);
        QCOMPARE(testing::ReadBytes(h.RecordFile()), RecordBytes(3, 2));
        const auto saved = SavedBeforeRestore(h.RecordFile());
        QCOMPARE(saved.size(), std::size_t{1});
        QCOMPARE(testing::ReadBytes(BackupFolderOf(h.RecordFile()) / fs::u8path(saved[0])), before);
        QVERIFY(In<QLabel>(dialog, "RestoreOutcome")
                    ->text()
                    .contains(QString::fromStdString(saved[0])));
        SaveWithDialog(menu, dialog, "backup_restore_done");

        QPointer<QWidget> oldMenu(menu);
        Click(In<QPushButton>(dialog, "DoneButton"));
        QVERIFY(QTest::qWaitFor([&] { return oldMenu.isNull(); }, 5000));
        QVERIFY(h.ScreenIs("seisekitime1"));
        QVERIFY2(!h.Messages().contains(QStringLiteral("エラー")), qPrintable(h.Messages()));
    }

    // Another PC holds the score file: the restore waits on a timer (the dialog stays alive),
    // presses meanwhile start nothing, and it goes through once the file is free.
    void aBusyFileIsWaitedForFromATimer() {
        testing::TempDir dir;
        const fs::path file = dir.WriteBytes(kScoreRecordFileName, RecordBytes(5, 1));
        WriteBackups(file);
        testing::FakeClock clock{CivilDate{2026, 6, 10}, TimeOfDay{15, 30, 0}};
        testing::FakeMessageBoxes boxes;
        auto holder = std::make_unique<SharedFile>(file, SharedFile::Mode::ReadWriteCreate);
        QVERIFY(holder->TryLockRange(kRecordLockOffset, kRecordLockLength));

        ui::BackupRestoreDialog dialog(ui::ReadBackupRestoreInputs(file), clock, boxes, nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QSignalSpy restored(&dialog, &ui::BackupRestoreDialog::restored);
        auto* list = In<QListWidget>(&dialog, "BackupList");
        list->setCurrentRow(1);
        Click(In<QPushButton>(&dialog, "RestoreButton"));
        auto* confirm = In<QPushButton>(&dialog, "ConfirmRestore");
        Click(confirm);
        QVERIFY(dialog.findChild<ui::RecordFileTask*>() != nullptr);  // waiting
        QVERIFY(In<QLabel>(&dialog, "RestoreQuestion")
                    ->text()
                    .contains(QStringLiteral("待っています")));
        QVERIFY(!confirm->isEnabled());
        QMetaObject::invokeMethod(confirm, &QPushButton::click);  // a press while waiting
        Click(In<QPushButton>(&dialog, "CancelRestore"));
        QCOMPARE(In<QStackedWidget>(&dialog, "BackupPages")->currentIndex(), 1);
        QCOMPARE(testing::ReadBytes(file), RecordBytes(5, 1));

        holder.reset();  // the other PC is done
        QVERIFY(restored.wait(5000));
        QCOMPARE(restored.count(), 1);
        QCOMPARE(testing::ReadBytes(file), RecordBytes(3, 2));
        QCOMPARE(SavedBeforeRestore(file).size(), std::size_t{1});
        // What was shown of the records is out of date once the dialog closes.
        QSignalSpy outOfDate(&dialog, &ui::BackupRestoreDialog::closedAfterRestore);
        Click(In<QPushButton>(&dialog, "DoneButton"));
        QCOMPARE(outOfDate.count(), 1);
    }

    // Closing the dialog while it waits gives the restore up: nothing changes later.
    void closingWhileWaitingChangesNothing() {
        testing::TempDir dir;
        const fs::path file = dir.WriteBytes(kScoreRecordFileName, RecordBytes(5, 1));
        WriteBackups(file);
        testing::FakeClock clock{CivilDate{2026, 6, 10}, TimeOfDay{15, 30, 0}};
        testing::FakeMessageBoxes boxes;
        auto holder = std::make_unique<SharedFile>(file, SharedFile::Mode::ReadWriteCreate);
        QVERIFY(holder->TryLockRange(kRecordLockOffset, kRecordLockLength));
        {
            ui::BackupRestoreDialog dialog(ui::ReadBackupRestoreInputs(file), clock, boxes, nullptr);
            QSignalSpy outOfDate(&dialog, &ui::BackupRestoreDialog::closedAfterRestore);
            dialog.show();
            In<QListWidget>(&dialog, "BackupList")->setCurrentRow(1);
            Click(In<QPushButton>(&dialog, "RestoreButton"));
            Click(In<QPushButton>(&dialog, "ConfirmRestore"));
            QVERIFY(dialog.findChild<ui::RecordFileTask*>() != nullptr);  // waiting
            QTest::keyClick(&dialog, Qt::Key_Escape);
            QVERIFY(!dialog.isVisible());
            QVERIFY(dialog.findChild<ui::RecordFileTask*>() == nullptr);  // given up
            holder.reset();
            QTest::qWait(1300);
            QCOMPARE(outOfDate.count(), 0);  // the menu stays as it is
        }
        QCOMPARE(testing::ReadBytes(file), RecordBytes(5, 1));
        QVERIFY(SavedBeforeRestore(file).empty());
    }

    // Another PC that holds the score file for more than a minute: the restore is given up
    // with the file named, and nothing has changed.
    void aFileHeldPastAMinuteIsGivenUp() {
        testing::TempDir dir;
        const fs::path file = dir.WriteBytes(kScoreRecordFileName, RecordBytes(5, 1));
        WriteBackups(file);
        testing::FakeClock clock{CivilDate{2026, 6, 10}, TimeOfDay{15, 30, 0}};
        testing::FakeMessageBoxes boxes;
        SharedFile holder(file, SharedFile::Mode::ReadWriteCreate);
        QVERIFY(holder.TryLockRange(kRecordLockOffset, kRecordLockLength));
        ui::BackupRestoreDialog dialog(ui::ReadBackupRestoreInputs(file), clock, boxes, nullptr);
        dialog.show();
        QSignalSpy failed(&dialog, &ui::BackupRestoreDialog::failed);
        QSignalSpy restored(&dialog, &ui::BackupRestoreDialog::restored);
        In<QListWidget>(&dialog, "BackupList")->setCurrentRow(1);
        Click(In<QPushButton>(&dialog, "RestoreButton"));
        Click(In<QPushButton>(&dialog, "ConfirmRestore"));
        QTest::qWait(300);
        QCOMPARE(failed.count(), 0);  // still waiting within the minute
        clock.AdvanceSeconds(60);
        QVERIFY(failed.wait(3000));
        QVERIFY2(failed.at(0).at(0).toString().contains(QStringLiteral("60秒待ちました")),
                 qPrintable(failed.at(0).at(0).toString()));
        QVERIFY(failed.at(0).at(0).toString().contains(QString::fromStdString(PathText(file))));
        QCOMPARE(In<QStackedWidget>(&dialog, "BackupPages")->currentIndex(), 2);
        QTRY_VERIFY(dialog.findChild<ui::RecordFileTask*>() == nullptr);
        QCOMPARE(restored.count(), 0);
        QCOMPARE(testing::ReadBytes(file), RecordBytes(5, 1));
        QVERIFY(SavedBeforeRestore(file).empty());
        QVERIFY(boxes.shown().empty());
    }

    // The record manager keeps the file as it was before its first change of the sign-in, and
    // takes no second copy for the next change.
    void recordManagerBacksUpBeforeItsFirstChange() {
        MenuHarness h;
        h.WriteRuns({{2, 2, 50, 1}, {3, 2, 61, 1}, {4, 2, 72, 0}});
        const std::string before = testing::ReadBytes(h.RecordFile());
        h.Start();
        QVERIFY(testing::SignIn(h, QStringLiteral("先生")) != nullptr);
        h.program->ShowRecordManager();
        QVERIFY(QTest::qWaitFor([&] { return h.ScreenIs("FrmData"); }, 5000));
        QWidget* screen = h.program->currentScreen();
        auto* list = In<QListView>(screen, "List1");
        for (int change = 0; change < 2; ++change) {
            const QRect r = list->visualRect(list->model()->index(0, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
            auto* seconds = In<QLineEdit>(screen, "Text1_1");
            seconds->selectAll();
            QTest::keyClicks(seconds, change == 0 ? "45" : "46");
            Click(In<QPushButton>(screen, "Command2"));
        }
        QCOMPARE(ReadScoreRecord(h.RecordFile(), 1).Seconds, 46);
        std::vector<std::string> copies;
        for (const auto& e : fs::directory_iterator(BackupFolderOf(h.RecordFile()))) {
            const auto parsed = ParseBackupFileName(PathText(e.path().filename()));
            if (parsed && parsed->Kind == BackupKind::BeforeChange)
                copies.push_back(PathText(e.path().filename()));
        }
        QCOMPARE(copies.size(), std::size_t{1});
        QCOMPARE(copies[0], std::string("成績累積データ_20260610_153000_変更前.dat"));
        QCOMPARE(testing::ReadBytes(BackupFolderOf(h.RecordFile()) / fs::u8path(copies[0])),
                 before);
    }
};

QTEST_MAIN(BackupRestoreTest)
#include "backup_restore_test.moc"
