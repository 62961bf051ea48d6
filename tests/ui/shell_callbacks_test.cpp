// The callback forms the screens build on: the real message boxes and the version dialog open
// over their screen and return at once, their callbacks run once, when a real click or key
// answers them, and never after the screen beneath has gone; the sound stand-ins report each
// end once, at once or from the event loop as the real device does.

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <optional>

#include "support/fake_services.h"
#include "support/test_support.h"
#include "ui/shell/program.h"
#include "ui/shell/services.h"
#include "ui/signin/frmver.h"

using namespace kagaku;
using Answer = ui::MessageBoxes::Answer;
namespace fs = std::filesystem;

Q_DECLARE_METATYPE(Answer)

namespace {

enum class Kind { Inform, Ask, Confirm };

// Opens a box of the kind; answers land in *answers (Inform counts as Ok).
void Open(ui::MessageBoxes& boxes, Kind kind, QWidget* parent, std::vector<Answer>* answers) {
    const QString title = QStringLiteral("化学式");
    const QString text = QStringLiteral("<b>山田</b> 花子");
    switch (kind) {
    case Kind::Inform:
        boxes.Inform(parent, title, text, [answers] { answers->push_back(Answer::Ok); });
        return;
    case Kind::Ask:
        boxes.Ask(parent, title, text, [answers](Answer a) { answers->push_back(a); });
        return;
    case Kind::Confirm:
        boxes.Confirm(parent, title, text, [answers](Answer a) { answers->push_back(a); });
        return;
    }
}

QMessageBox* BoxOver(QWidget* parent) {
    return parent->findChild<QMessageBox*>();
}

}  // namespace

class ShellCallbacksTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void boxAnsweredByRealInputCallsBackOnce_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QMessageBox::StandardButton>("button");  // NoButton: Escape key
        QTest::addColumn<Answer>("answer");
        QTest::newRow("OK closes a message") << Kind::Inform << QMessageBox::Ok << Answer::Ok;
        QTest::newRow("Escape closes a message too")
            << Kind::Inform << QMessageBox::NoButton << Answer::Ok;
        QTest::newRow("Yes is yes") << Kind::Ask << QMessageBox::Yes << Answer::Yes;
        QTest::newRow("No is no") << Kind::Ask << QMessageBox::No << Answer::No;
        QTest::newRow("Escape on a question is no, not yes")
            << Kind::Ask << QMessageBox::NoButton << Answer::No;
        QTest::newRow("OK confirms") << Kind::Confirm << QMessageBox::Ok << Answer::Ok;
        QTest::newRow("Cancel cancels") << Kind::Confirm << QMessageBox::Cancel << Answer::Cancel;
        QTest::newRow("Escape on a warning cancels, not confirms")
            << Kind::Confirm << QMessageBox::NoButton << Answer::Cancel;
    }
    void boxAnsweredByRealInputCallsBackOnce() {
        QFETCH(Kind, kind);
        QFETCH(QMessageBox::StandardButton, button);
        QFETCH(Answer, answer);
        ui::RealMessageBoxes boxes;
        QWidget screen;
        screen.resize(800, 600);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        std::vector<Answer> answers;
        Open(boxes, kind, &screen, &answers);
        // Back at once, with the box open over the screen and nothing answered yet.
        QMessageBox* box = BoxOver(&screen);
        QVERIFY(box != nullptr);
        QTRY_VERIFY(box->isVisible());
        QCOMPARE(box->windowModality(), Qt::WindowModal);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QVERIFY(answers.empty());
        QPointer<QMessageBox> watched(box);
        if (button == QMessageBox::NoButton)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            QTest::mouseClick(box->button(button), Qt::LeftButton);
        QCOMPARE(answers, std::vector<Answer>{answer});
        QTRY_VERIFY(watched.isNull());  // the box goes once answered
        QCOMPARE(answers.size(), std::size_t{1});
    }

    // A screen that goes while its box is open takes the box with it: no callback runs into
    // the screen that is gone.
    void screenDeletedWhileBoxOpenCallsNothing_data() {
        QTest::addColumn<Kind>("kind");
        QTest::newRow("message") << Kind::Inform;
        QTest::newRow("question") << Kind::Ask;
        QTest::newRow("warning") << Kind::Confirm;
    }
    void screenDeletedWhileBoxOpenCallsNothing() {
        QFETCH(Kind, kind);
        ui::RealMessageBoxes boxes;
        auto* screen = new QWidget;
        screen->show();
        std::vector<Answer> answers;
        Open(boxes, kind, screen, &answers);
        QPointer<QMessageBox> box(BoxOver(screen));
        QVERIFY(box);
        QTRY_VERIFY(box->isVisible());
        delete screen;
        QVERIFY(box.isNull());
        QTest::qWait(50);
        QVERIFY(answers.empty());
    }

    // The version dialog opens window-modal over the name screen and returns at once; its
    // closed callback runs once on O.K., and not at all when the screen goes first.
    void versionDialogOpensAndReportsItsClose() {
        testing::FakeClock clock{CivilDate{2010, 4, 28}, TimeOfDay{9, 30, 0}};
        testing::FakeRandom random;
        testing::FakeMessageBoxes messages;
        testing::FakeSoundDevice sound;
        ui::Program program(fs::u8path(KAGAKU_DEMO_DIR) / "kagaku",
                            {&clock, &random, &messages, &sound, nullptr});
        auto* screen = new QWidget;
        screen->resize(800, 600);
        screen->show();
        int closed = 0;
        program.ShowVersionDialog(screen, [&closed] { ++closed; });
        auto* dialog = screen->findChild<ui::frmver*>();
        QVERIFY(dialog != nullptr);
        QTRY_VERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowModality(), Qt::WindowModal);
        QCOMPARE(closed, 0);
        QVERIFY(qAbs(dialog->geometry().center().x() - screen->geometry().center().x()) <= 1);
        QPointer<ui::frmver> watched(dialog);
        QTest::mouseClick(dialog->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QCOMPARE(closed, 1);
        QTRY_VERIFY(watched.isNull());

        program.ShowVersionDialog(screen, [&closed] { ++closed; });
        QPointer<ui::frmver> second(screen->findChild<ui::frmver*>());
        QVERIFY(second);
        delete screen;
        QVERIFY(second.isNull());
        QTest::qWait(50);
        QCOMPARE(closed, 1);
    }

    // The stand-ins keep the device's promise: every end reported once; the waiting one
    // reports from the event loop after its time, runs whilePlaying from the loop rather than
    // inside Play, and reports an older sound's end as soon as a newer one starts.
    void soundStandInsReportEachEndOnce_data() {
        QTest::addColumn<bool>("waiting");
        QTest::addColumn<int>("failCode");
        QTest::addColumn<bool>("second");  // a second sound starts while the first plays
        QTest::newRow("fake: a played sound ends before Play returns") << false << 0 << false;
        QTest::newRow("fake: a failure comes back with its code") << false << 263 << false;
        QTest::newRow("waiting: ends after its time") << true << 0 << false;
        QTest::newRow("waiting: a newer sound ends the older at once") << true << 0 << true;
    }
    void soundStandInsReportEachEndOnce() {
        QFETCH(bool, waiting);
        QFETCH(int, failCode);
        QFETCH(bool, second);
        testing::FakeSoundDevice fake;
        testing::WaitingSoundDevice slow;
        slow.playMilliseconds = 200;
        fake.FailWith(failCode);
        SoundDevice& device = waiting ? static_cast<SoundDevice&>(slow) : fake;
        std::vector<std::pair<int, int>> ends;  // which sound, its code
        bool returned = false;
        bool whilePlayingInsidePlay = false;
        slow.whilePlaying = [&] { whilePlayingInsidePlay = whilePlayingInsidePlay || !returned; };
        QElapsedTimer timer;
        timer.start();
        device.Play("a.wav", [&ends](PlayResult r) { ends.emplace_back(1, r.code); });
        returned = true;
        if (!waiting) {
            QCOMPARE(ends, (std::vector<std::pair<int, int>>{{1, failCode}}));
            return;
        }
        QVERIFY(ends.empty());
        if (second) {
            QTest::qWait(20);
            device.Play("b.wav", [&ends](PlayResult r) { ends.emplace_back(2, r.code); });
            QTRY_COMPARE(ends.size(), std::size_t{1});
            QVERIFY(timer.elapsed() < 150);
            QCOMPARE(ends[0].first, 1);
            QTRY_COMPARE(ends.size(), std::size_t{2});
            QCOMPARE(ends[1].first, 2);
        } else {
            QTRY_COMPARE(ends.size(), std::size_t{1});
            QVERIFY(timer.elapsed() >= 190);
        }
        QVERIFY(!whilePlayingInsidePlay);
        QTest::qWait(250);
        QCOMPARE(ends.size(), std::size_t{second ? 2u : 1u});
        QCOMPARE(slow.playing(), 0);
    }
};

QTEST_MAIN(ShellCallbacksTest)
#include "shell_callbacks_test.moc"
