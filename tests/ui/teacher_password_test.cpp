// The teacher's password on a copy of the demo tree: the real dialog, open window-modal with no
// event loop of its own and answered with real keys, in front of データ処理, 印刷 and PDF保存;
// once per sign-in, a wrong entry that opens nothing, the minute's lock after five, a second
// press while the dialog is open, and a damaged file.

#include <QApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <deque>

#include "admin/teacher_password.h"
#include "menu_support.h"
#include "ui/menu/detail_view.h"
#include "ui/menu/seisekitime1.h"
#include "ui/teacher/teacher_password_dialog.h"

using namespace kagaku;
using testing::MenuHarness;
using testing::SignIn;
namespace fs = std::filesystem;

namespace {

// Answers the password dialog whenever it is open: types the next queued entry and Enter, or
// presses キャンセル when none is queued (so a dialog that should not have opened cannot hang
// the test). Counts the dialogs, and whether each opened window-modal with no event loop of
// its own beneath it.
class PasswordAnswerer {
public:
    PasswordAnswerer() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Look(); });
        timer_.start();
    }
    void Queue(const QString& entry) { entries_.push_back(entry); }
    // True once the count-th dialog has been answered and has gone.
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
    bool withoutOwnLoop = true;
    bool held = false;  // leaves the dialog open until cleared

private:
    void Look() {
        auto* dialog = qobject_cast<ui::TeacherPasswordDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible() || dialog == answered_)
            return;
        if (dialog != counted_) {
            counted_ = dialog;
            ++opened;
            withoutOwnLoop = withoutOwnLoop && QThread::currentThread()->loopLevel() == 0 &&
                             dialog->windowModality() == Qt::WindowModal;
        }
        if (held)
            return;
        answered_ = dialog;
        auto* entry = dialog->findChild<QLineEdit*>("PasswordEntry");
        if (entries_.empty() || entry == nullptr || entry->echoMode() != QLineEdit::Password) {
            QTest::mouseClick(dialog->findChild<QPushButton*>("PasswordCancel"), Qt::LeftButton);
            return;
        }
        QTest::keyClicks(entry, entries_.front());
        entries_.pop_front();
        QTest::keyClick(entry, Qt::Key_Return);
    }

    QTimer timer_;
    std::deque<QString> entries_;
    QPointer<QDialog> counted_;
    QPointer<QDialog> answered_;  // answered already (it goes once events run)
};

fs::path PasswordFile(const MenuHarness& h) {
    return h.DataFolder() / fs::u8path(admin::kTeacherPasswordFileName);
}

// 戻る to the name screen and in again as the teacher: a new sign-in.
ui::seisekitime1* SignInAgain(MenuHarness& h, ui::seisekitime1* menu) {
    QTest::mouseClick(menu->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    return SignIn(h, QStringLiteral("先生"));
}

void Click(QWidget* menu, const char* name) {
    auto* button = menu->findChild<QPushButton*>(name);
    QVERIFY2(button != nullptr && button->isVisible(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

bool PanelShown(QWidget* menu) {
    return menu->findChild<QWidget*>("Picture7")->isVisible();
}

// No dialog opened beyond the count, given the time one would take to show.
bool NoNewDialog(const PasswordAnswerer& answer, int count) {
    QTest::qWait(80);
    return answer.opened == count;
}

QString LastMessage(const MenuHarness& h) {
    return h.messages.shown().empty() ? QString() : h.messages.shown().back().text;
}

}  // namespace

class TeacherPasswordTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The right password opens the data panel, and the panel opens again in the same sign-in
    // without a second dialog; in the next sign-in a wrong one says so and opens nothing.
    void rightThenWrongAtTheDataPanel() {
        MenuHarness h;
        admin::SetTeacherPassword(PasswordFile(h), "rika2024");
        h.Start();
        PasswordAnswerer answer;
        auto* menu = SignIn(h, QStringLiteral("先生"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));

        answer.Queue("rika2024");
        Click(menu, "Command8");
        QVERIFY(answer.Answered(1));
        QVERIFY(answer.withoutOwnLoop);
        QVERIFY2(PanelShown(menu), qPrintable(h.Messages()));
        Click(menu, "Command12");
        Click(menu, "Command8");
        QVERIFY(PanelShown(menu));
        QVERIFY(NoNewDialog(answer, 1));
        Click(menu, "Command12");

        menu = SignInAgain(h, menu);
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        answer.Queue("rika2025");
        Click(menu, "Command8");
        QVERIFY(answer.Answered(2));
        QCOMPARE(LastMessage(h), QStringLiteral("パスワードが違います。"));
        QVERIFY(!PanelShown(menu));
        QTest::keyClick(menu, Qt::Key_2);  // the start keys still work: no panel is in the way
        QVERIFY(QTest::qWaitFor([&] { return h.ScreenIs("MainFrm"); }, 5000));
        QCOMPARE(h.messages.shown().size(), std::size_t{1});
    }

    // 印刷 and PDF保存 in the detail view: キャンセル and a wrong entry print nothing; the right
    // one prints, and PDF保存 then asks no more.
    void printingWaitsForThePassword() {
        MenuHarness h;
        h.WriteRuns({{5, 2, 60, 2}, {5, 2, 50, 1}});
        admin::SetTeacherPassword(PasswordFile(h), "rika2024");
        h.Start();
        PasswordAnswerer answer;
        auto* menu = SignIn(h, QStringLiteral("先生"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        QTest::mouseClick(menu->findChild<QRadioButton*>("Option2_2"), Qt::LeftButton);
        QTRY_VERIFY(menu->findChild<QWidget*>("Picture6")->isHidden());
        Click(menu, "Command17");
        auto* view = menu->findChild<ui::DetailView*>("Picture11");
        QTRY_VERIFY(view->isVisible());
        testing::TempDir out;
        int jobs = 0;
        view->SetPrinterFactory([&](int) {
            ++jobs;
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(QString::fromStdString((out.path() / "job.pdf").string()));
            return printer;
        });
        int folders = 0;
        view->SetFolderChooser([&](QWidget*) {
            ++folders;
            return QString::fromStdString(out.path().string());
        });

        Click(view, "Command24_1");  // nothing queued: キャンセル
        QVERIFY(answer.Answered(1));
        answer.Queue("RIKA2024");
        Click(view, "Command24_1");
        QVERIFY(answer.Answered(2));
        Click(view, "PdfSave");  // cancelled again
        QVERIFY(answer.Answered(3));
        QCOMPARE(jobs, 0);
        QCOMPARE(folders, 0);
        QCOMPARE(h.messages.shown().size(), std::size_t{1});
        QCOMPARE(LastMessage(h), QStringLiteral("パスワードが違います。"));

        answer.Queue("rika2024");
        Click(view, "Command24_1");
        QVERIFY(answer.Answered(4));
        QTRY_COMPARE(jobs, 1);
        Click(view, "PdfSave");
        QCOMPARE(folders, 1);
        QVERIFY(NoNewDialog(answer, 4));
        QVERIFY(view->isVisible());
    }

    // Five wrong entries in a row keep the dialog closed for a minute by the program's clock;
    // then the right one opens the panel.
    void fiveWrongEntriesLockTheDialogForAMinute() {
        MenuHarness h;
        admin::SetTeacherPassword(PasswordFile(h), "rika2024");
        h.Start();
        PasswordAnswerer answer;
        auto* menu = SignIn(h, QStringLiteral("先生"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        for (int i = 1; i <= 5; ++i) {
            answer.Queue(QStringLiteral("guess%1").arg(i));
            Click(menu, "Command8");
            QVERIFY(answer.Answered(i));
        }
        QCOMPARE(LastMessage(h),
                 QStringLiteral("パスワードが5回続けて違いました。\n1分間は入力できません。"));
        // Signing in again does not lift the lock.
        menu = SignInAgain(h, menu);
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        h.clock.AdvanceSeconds(30.5);
        answer.Queue("rika2024");
        Click(menu, "Command8");
        QVERIFY(NoNewDialog(answer, 5));
        QCOMPARE(LastMessage(h),
                 QStringLiteral("パスワードが5回続けて違ったため、あと30秒は入力できません。"));
        QVERIFY(!PanelShown(menu));
        h.clock.AdvanceSeconds(29.5);
        Click(menu, "Command8");
        QVERIFY(answer.Answered(6));
        QVERIFY2(PanelShown(menu), qPrintable(h.Messages()));
    }

    // While the dialog is open the menu takes no click; a second データ処理 that arrives all the
    // same (as a timer's work could deliver it) opens no second dialog, and the panel opens
    // once the right password is given.
    void aSecondPressWhileTheDialogIsOpenAsksNoMore() {
        MenuHarness h;
        admin::SetTeacherPassword(PasswordFile(h), "rika2024");
        h.Start();
        PasswordAnswerer answer;
        answer.held = true;
        auto* menu = SignIn(h, QStringLiteral("先生"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        Click(menu, "Command8");
        QTRY_COMPARE(answer.opened, 1);
        menu->findChild<QPushButton*>("Command8")->click();
        QVERIFY(NoNewDialog(answer, 1));
        QCOMPARE(menu->findChildren<ui::TeacherPasswordDialog*>().size(), 1);
        QVERIFY(!PanelShown(menu));
        answer.Queue("rika2024");
        answer.held = false;
        QVERIFY(answer.Answered(1));
        QVERIFY2(PanelShown(menu), qPrintable(h.Messages()));
        QVERIFY(NoNewDialog(answer, 1));
        QVERIFY(h.messages.shown().empty());
    }

    // A damaged password file: a message naming the file, no dialog, nothing opens, and the
    // program goes on for the pupils.
    void damagedFileKeepsTheFunctionsClosed() {
        MenuHarness h;
        WriteFileAtomically(PasswordFile(h), "rika2024\r\n");
        h.Start();
        PasswordAnswerer answer;
        auto* menu = SignIn(h, QStringLiteral("先生"));
        QVERIFY2(menu != nullptr, qPrintable(h.Messages()));
        Click(menu, "Command8");
        QVERIFY(NoNewDialog(answer, 0));
        QVERIFY(!PanelShown(menu));
        QVERIFY2(LastMessage(h).contains(QStringLiteral("先生パスワード.txt")),
                 qPrintable(h.Messages()));
        QCOMPARE(h.program->exitStatus(), 0);
        QVERIFY(h.ScreenIs("seisekitime1"));
    }
};

QTEST_MAIN(TeacherPasswordTest)
#include "teacher_password_test.moc"
