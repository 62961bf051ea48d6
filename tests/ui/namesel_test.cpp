// The name screen on a copy of the demo tree: a fresh screen, signing in by keyboard, O.K.
// without a name, the exit to the family's menu program and the fault handling of the list.

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QPointer>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>

#include <fstream>

#include "common/text_ops.h"
#include "menu_support.h"
#include "ui/signin/namesel.h"

using namespace kagaku;
using testing::MenuHarness;
namespace fs = std::filesystem;

class NameselTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A fresh screen shows the points mode, every grade, the separator chosen and the prompt;
    // catches a screen that keeps the stored mode or starts with a name chosen.
    void freshScreenShowsPointsModeAndPrompt() {
        MenuHarness h;
        h.WriteRuns({{5, 2, 40, 0}, {5, 2, 50, 3}});
        h.Start();
        QTRY_VERIFY2(h.ScreenIs("namesel"), qPrintable(h.Messages()));
        QWidget* screen = h.program->currentScreen();
        auto* list = screen->findChild<QListWidget*>("List1");
        QTRY_VERIFY(list->count() > 20);
        QTRY_VERIFY(screen->findChild<QRadioButton*>("Option1_1")->isChecked());
        QCOMPARE(list->item(0)->text(), QStringLiteral("－－－－－－"));
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(screen->findChild<QLabel*>("Label1")->text(), QStringLiteral("名前を選びなさい"));
        QCOMPARE(screen->findChild<QComboBox*>("Combo1")->currentText(), QStringLiteral("全学年"));
        QCOMPARE(screen->findChild<QComboBox*>("Combo1")->count(), 12);
        // The youngest year group comes first.
        QVERIFY2(list->item(1)->text().startsWith(QStringLiteral("幼")),
                 qPrintable(list->item(1)->text()));
        testing::SaveScreenshot(screen, "namesel_demo");
    }

    // "1" with no name plays the no-name cue and stays; a name chosen with the arrow keys and
    // Enter signs the pupil in and opens the level menu.
    void signInByKeyboard() {
        MenuHarness h;
        h.Start();
        QListWidget* list = h.ReadyNameList();
        QVERIFY2(list != nullptr, qPrintable(h.Messages()));
        QWidget* screen = h.program->currentScreen();
        const std::size_t soundsBefore = h.sound.played().size();
        QTest::keyClick(list, Qt::Key_1);
        QCOMPARE(h.sound.played().size(), soundsBefore + 1);
        QVERIFY(h.ScreenIs("namesel"));
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentRow(), 2);
        const QString caption = screen->findChild<QLabel*>("Label1")->text();
        QVERIFY(caption != QStringLiteral("名前を選びなさい"));
        QTest::keyClick(list, Qt::Key_Return);
        QTRY_VERIFY2(h.ScreenIs("seisekitime1"), qPrintable(h.Messages()));
        const SignedIn& signIn = h.program->signIn();
        QVERIFY(signIn.PupilNumber > 0);
        QVERIFY(caption.contains(QString::fromStdString(text::Trim(signIn.PupilName))));
        QCOMPARE(h.program->setup().LevelCount, std::int16_t{12});
    }

    // The exit starts the family's menu program beside the program folder with "001" and ends.
    void exitStartsMenuProgramWith001() {
        MenuHarness h;
        fs::create_directories(h.tree / fs::u8path("起動"));
        std::ofstream(h.tree / fs::u8path("起動/プログラムメニューc")) << "#!/bin/sh\n";
        h.Start();
        QTRY_VERIFY2(h.ScreenIs("namesel"), qPrintable(h.Messages()));
        auto* list = h.program->currentScreen()->findChild<QListWidget*>("List1");
        QTRY_VERIFY(list->count() > 20);
        QTest::keyClick(list, Qt::Key_0);
        QCOMPARE(h.launcher.started().size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(PathText(h.launcher.started()[0].program.filename())),
                 QStringLiteral("プログラムメニューc"));
        QCOMPARE(h.launcher.started()[0].arguments, std::vector<std::string>{"001"});
        QVERIFY(h.messages.shown().empty());
        QCOMPARE(h.program->exitStatus(), 0);
    }

    // A missing menu program is reported by name before the program ends.
    void missingMenuProgramIsReportedThenEnds() {
        MenuHarness h;
        h.Start();
        QTRY_VERIFY2(h.ScreenIs("namesel"), qPrintable(h.Messages()));
        auto* exit = h.program->currentScreen()->findChild<QPushButton*>("Command7");
        QTRY_VERIFY(exit->isVisible());
        QTest::mouseClick(exit, Qt::LeftButton);
        QCOMPARE(h.messages.shown().size(), std::size_t{1});
        QVERIFY2(h.messages.shown()[0].text.contains(QStringLiteral("プログラムメニューc")),
                 qPrintable(h.Messages()));
        QVERIFY(h.launcher.started().empty());
        QCOMPARE(h.program->exitStatus(), 2);
    }

    // While the list is read again (here paused, from a timer, on a roster that is briefly away)
    // no name stands chosen: "1" meanwhile plays the no-name cue instead of signing in from a screen
    // that is about to be rebuilt, and the list comes back once the roster does.
    void keysDuringRebuildCannotSignIn() {
        MenuHarness h;
        h.Start();
        QListWidget* list = h.ReadyNameList();
        QVERIFY2(list != nullptr, qPrintable(h.Messages()));
        QWidget* screen = h.program->currentScreen();
        list->setCurrentRow(3);
        QVERIFY(screen->findChild<QLabel*>("Label1")->text() != QStringLiteral("名前を選びなさい"));
        const fs::path roster = h.tree / fs::u8path("学校データ/新名簿.txt");
        const fs::path away = h.tree / fs::u8path("学校データ/新名簿.bak");
        fs::rename(roster, away);
        ui::namesel::pauseMillisecondsPerSecond = 20;
        const std::size_t soundsBefore = h.sound.played().size();
        QTimer::singleShot(30, list, [&] {
            QTest::keyClick(list, Qt::Key_1);
            fs::rename(away, roster);
        });
        auto* mode = screen->findChild<QRadioButton*>("Option1_2");
        QTest::mouseClick(mode, Qt::LeftButton, {}, QPoint(8, mode->height() / 2));
        QVERIFY(mode->isChecked());
        // The click returns at once; the list stands again after the pause.
        QTRY_VERIFY(list->count() > 20);
        ui::namesel::pauseMillisecondsPerSecond = 1000;
        QVERIFY2(h.ScreenIs("namesel"), qPrintable(h.Messages()));
        QCOMPARE(h.sound.played().size(), soundsBefore + 1);
        QCOMPARE(int{h.program->signIn().PupilNumber}, 0);
        QVERIFY2(h.messages.shown().empty(), qPrintable(h.Messages()));
    }

    // A rebuild superseded by a newer one while it pauses ends at that pause: only the newer
    // one's faults count. The roster stays away until after the older rebuild's sixth pause
    // but comes back before the newer one's; an older rebuild that went on would end the
    // program.
    void supersededRebuildEndsAtItsPause() {
        MenuHarness h;
        h.Start();
        QListWidget* list = h.ReadyNameList();
        QVERIFY2(list != nullptr, qPrintable(h.Messages()));
        QWidget* screen = h.program->currentScreen();
        const fs::path roster = h.tree / fs::u8path("学校データ/新名簿.txt");
        const fs::path away = h.tree / fs::u8path("学校データ/新名簿.bak");
        fs::rename(roster, away);
        ui::namesel::pauseMillisecondsPerSecond = 40;  // pauses of 200 ms
        auto* today = screen->findChild<QRadioButton*>("Option1_2");
        auto* allTime = screen->findChild<QRadioButton*>("Option1_3");
        QTest::mouseClick(today, Qt::LeftButton, {}, QPoint(8, today->height() / 2));
        // The click returned while the rebuild pauses: the screen takes the next one.
        QCOMPARE(list->count(), 0);
        QTimer::singleShot(600, allTime, [&] {
            QTest::mouseClick(allTime, Qt::LeftButton, {}, QPoint(8, allTime->height() / 2));
        });
        QTimer::singleShot(1500, list, [&] { fs::rename(away, roster); });
        QTRY_VERIFY_WITH_TIMEOUT(list->count() > 20, 10000);
        QTest::qWait(400);
        ui::namesel::pauseMillisecondsPerSecond = 1000;
        QVERIFY(allTime->isChecked());
        QVERIFY2(h.messages.shown().empty(), qPrintable(h.Messages()));
        QCOMPARE(h.program->exitStatus(), 0);
        QVERIFY(h.ScreenIs("namesel"));
    }

    // Once O.K. has signed a pupil in, nothing more on the name screen starts a second
    // sign-in, though the screen is still there until the event loop takes it away.
    void oneSignInPerConfirmation_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("a second click on O.K.") << "click" << "click";
        QTest::newRow("Enter after 1") << "key" << "enter";
        QTest::newRow("a double click after O.K.") << "click" << "double";
        QTest::newRow("1 after a double click") << "double" << "key";
    }
    void oneSignInPerConfirmation() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        MenuHarness h;
        h.Start();
        QListWidget* list = h.ReadyNameList();
        QVERIFY2(list != nullptr, qPrintable(h.Messages()));
        QPointer<ui::namesel> screen = qobject_cast<ui::namesel*>(h.program->currentScreen());
        QVERIFY(screen);
        QSignalSpy signedIn(screen.data(), &ui::namesel::signedIn);
        auto* ok = screen->findChild<QPushButton*>("Command14");
        list->setCurrentRow(3);
        const auto act = [&](const QString& how) {
            if (how == "click") {
                QTest::mouseClick(ok, Qt::LeftButton);
            } else if (how == "key") {
                QTest::keyClick(list, Qt::Key_1);
            } else if (how == "enter") {
                QTest::keyClick(list, Qt::Key_Return);
            } else {
                const QRect row = list->visualItemRect(list->item(3));
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
            }
        };
        act(first);
        QCOMPARE(signedIn.count(), 1);
        QVERIFY(h.ScreenIs("seisekitime1"));
        QVERIFY(screen);  // closed, not yet deleted
        act(second);
        QCOMPARE(signedIn.count(), 1);
        auto* menu = h.program->currentScreen();
        QVERIFY(h.ScreenIs("seisekitime1"));
        QTRY_VERIFY(!screen);
        QCOMPARE(h.program->currentScreen(), menu);
        QVERIFY2(h.messages.shown().empty(), qPrintable(h.Messages()));
    }

    // A click on the title opens the version dialog over the screen and returns at once; once
    // the dialog is closed the screen comes back to the front as after a sign-out: the points
    // mode, a fresh list and the prompt (no name left chosen from before).
    void versionDialogThenScreenStartsOver() {
        MenuHarness h;
        h.Start();
        QListWidget* list = h.ReadyNameList();
        QVERIFY2(list != nullptr, qPrintable(h.Messages()));
        QWidget* screen = h.program->currentScreen();
        auto* runs = screen->findChild<QRadioButton*>("Option1_0");
        QTest::mouseClick(runs, Qt::LeftButton, {}, QPoint(8, runs->height() / 2));
        QTRY_VERIFY(list->count() > 20);
        list->setCurrentRow(4);
        auto* chosen = screen->findChild<QLabel*>("Label1");
        QVERIFY(chosen->text() != QStringLiteral("名前を選びなさい"));
        QTest::mouseClick(screen->findChild<QLabel*>("Label4"), Qt::LeftButton);
        auto* dialog = screen->findChild<QDialog*>("frmver");
        QTRY_VERIFY(dialog != nullptr && dialog->isVisible());
        QVERIFY(runs->isChecked());  // nothing changes while the dialog is open
        QTest::mouseClick(dialog->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QTRY_VERIFY(screen->findChild<QRadioButton*>("Option1_1")->isChecked());
        QTRY_VERIFY(list->count() > 20);
        QCOMPARE(chosen->text(), QStringLiteral("名前を選びなさい"));
        QVERIFY(list->hasFocus());
        QVERIFY(h.ScreenIs("namesel"));
    }

    // Without a roster the list pauses and retries, then names the step and the error and ends.
    void missingRosterEndsAfterSixthFault() {
        MenuHarness h;
        fs::remove(h.tree / fs::u8path("学校データ/新名簿.txt"));
        ui::namesel::pauseMillisecondsPerSecond = 5;
        h.Start();
        QTRY_VERIFY_WITH_TIMEOUT(!h.messages.shown().empty(), 10000);
        ui::namesel::pauseMillisecondsPerSecond = 1000;
        QCOMPARE(h.messages.shown().size(), std::size_t{1});
        QVERIFY2(h.messages.shown()[0].text.startsWith(QStringLiteral("名簿表示3")),
                 qPrintable(h.Messages()));
        QVERIFY(h.messages.shown()[0].text.endsWith(QStringLiteral("53")));
        QCOMPARE(h.program->exitStatus(), 1);
    }
};

QTEST_MAIN(NameselTest)
#include "namesel_test.moc"
