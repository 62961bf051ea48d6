// Record file work run from a screen while another PC (a real second process) holds the score
// file: the screen keeps drawing and answering clicks, the work finishes once the file is free,
// a question about an error does what its answer says, and a screen deleted meanwhile ends it.

#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

#include "common/errors.h"
#include "common/files.h"
#include "platform/shared_file.h"
#include "records/score_record.h"
#include "records/score_record_file.h"
#include "support/fake_services.h"
#include "support/test_support.h"
#include "ui/shell/record_file_task.h"

using namespace kagaku;
using kagaku::ui::MessageBoxes;
using kagaku::ui::RecordFileTask;

namespace {

namespace fs = std::filesystem;

// A screen that counts its paints and the clicks on its button.
class CountingScreen final : public QWidget {
public:
    CountingScreen() {
        setObjectName("TaskScreen");
        auto* layout = new QVBoxLayout(this);
        button = new QPushButton(QStringLiteral("もどる"), this);
        button->setObjectName("Command1");
        layout->addWidget(button);
        QObject::connect(button, &QPushButton::clicked, this, [this] { ++clicks; });
        resize(640, 480);
    }
    int paints = 0;
    int clicks = 0;
    QPushButton* button = nullptr;

protected:
    void paintEvent(QPaintEvent*) override {
        ++paints;
        QPainter(this).fillRect(rect(), Qt::white);
    }
};

ScoreRecord Run(int pupil) {
    ScoreRecord r;
    r.RunDate = 45000.0;
    r.RunTimeOfDay = 0.5;
    r.PupilNumber = static_cast<std::int16_t>(pupil);
    r.Level = 2;
    r.Seconds = 77;
    return r;
}

std::uint64_t RecordsIn(const fs::path& file) {
    return ReadRecordWindow(file, 0).Count();
}

// Another PC holding the writers' lock until it is stopped.
class LockHolder {
public:
    explicit LockHolder(const fs::path& file) {
        process_.start(QStringLiteral(KAGAKU_HELPER_append_helper),
                       {QStringLiteral("hold"), QString::fromStdString(PathText(file)),
                        QStringLiteral("60000")});
        locked_ = process_.waitForReadyRead(10000) &&
                  process_.readLine().trimmed() == QByteArrayLiteral("locked");
    }
    ~LockHolder() { Release(); }
    bool Locked() const { return locked_; }
    // The other PC is done (or switched off): the lock goes with its process.
    void Release() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }

private:
    QProcess process_;
    bool locked_ = false;
};

struct Outcome {
    int done = 0;
    int failed = 0;
    QString error;
};

RecordFileTask* StartAppend(CountingScreen* screen, MessageBoxes& boxes, const fs::path& file,
                            const std::shared_ptr<Outcome>& outcome) {
    return RecordFileTask::Start(
        screen, boxes,
        [file](RecordFileWaiter& w) { AppendScoreRecord(file, Run(7), w); },
        [outcome] { ++outcome->done; },
        [outcome](const DataFileError& e) {
            ++outcome->failed;
            outcome->error = QString::fromStdString(e.problem());
        });
}

}  // namespace

class RecordFileTaskTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        FailFileChangesAfter(-1);
    }
    void cleanup() {
        FailFileChangesAfter(-1);
    }

    // A free file: done has run by the time Start returns, and no task is left.
    void aFreeFileIsWrittenAtOnce() {
        testing::TempDir dir;
        const fs::path file = dir / kScoreRecordFileName;
        testing::FakeMessageBoxes boxes;
        CountingScreen screen;
        auto outcome = std::make_shared<Outcome>();
        QCOMPARE(StartAppend(&screen, boxes, file, outcome), nullptr);
        QCOMPARE(outcome->done, 1);
        QCOMPARE(RecordsIn(file), std::uint64_t{1});
        QCOMPARE(screen.findChildren<RecordFileTask*>().size(), 0);
    }

    // While another PC holds the file the screen repaints and takes clicks; done runs once,
    // after the file is freed, and the run is written once.
    void theScreenStaysAliveWhileTheFileIsHeld() {
        testing::TempDir dir;
        const fs::path file = dir / kScoreRecordFileName;
        LockHolder holder(file);
        QVERIFY(holder.Locked());
        testing::FakeMessageBoxes boxes;
        CountingScreen screen;
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        auto outcome = std::make_shared<Outcome>();
        QPointer<RecordFileTask> task = StartAppend(&screen, boxes, file, outcome);
        QVERIFY(task);
        QCOMPARE(outcome->done, 0);

        QTest::qWait(300);
        const int paints = screen.paints;
        screen.update();
        QTRY_VERIFY(screen.paints > paints);
        QTest::mouseClick(screen.button, Qt::LeftButton);
        QCOMPARE(screen.clicks, 1);
        QCOMPARE(outcome->done, 0);
        QVERIFY(task->Tries() > 3);  // tried again from the timer, waits short at first
        QCOMPARE(RecordsIn(file), std::uint64_t{0});

        holder.Release();
        QTRY_COMPARE(outcome->done, 1);
        QTRY_VERIFY(task.isNull());
        QTest::qWait(200);
        QCOMPARE(outcome->done, 1);
        QCOMPARE(outcome->failed, 0);
        QCOMPARE(RecordsIn(file), std::uint64_t{1});
        QVERIFY(boxes.shown().empty());
        testing::SaveScreenshot(&screen, "record_file_task_after_wait");
    }

    // An error that waiting will not mend is put in a box: Yes tries again (and writes the run
    // once), No gives up with the error the blocking call threw.
    void theRetryBoxDoesWhatItsAnswerSays_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("failed");
        QTest::addColumn<int>("records");
        QTest::newRow("Yes: the run written once, though its flush and undo failed")
            << int(MessageBoxes::Answer::Yes) << 1 << 0 << 1;
        QTest::newRow("No: failed with the write's error, nothing written")
            << int(MessageBoxes::Answer::No) << 0 << 1 << 0;
    }
    void theRetryBoxDoesWhatItsAnswerSays() {
        QFETCH(int, answer);
        QFETCH(int, done);
        QFETCH(int, failed);
        QFETCH(int, records);
        testing::TempDir dir;
        const fs::path file = dir / kScoreRecordFileName;
        testing::FakeMessageBoxes boxes;
        boxes.QueueAnswer(static_cast<MessageBoxes::Answer>(answer));
        CountingScreen screen;
        auto outcome = std::make_shared<Outcome>();
        // The write lands on the disk, then its flush and the undo fail (the file is created
        // first: that is one change).
        FailFileChangesAfter(failed == 1 ? 1 : 2);
        QPointer<RecordFileTask> task = StartAppend(&screen, boxes, file, outcome);
        FailFileChangesAfter(-1);
        QCOMPARE(boxes.shown().size(), std::size_t{1});
        QVERIFY(boxes.shown()[0].text.startsWith(QStringLiteral("成績ランダムファイル記録")));
        QVERIFY(boxes.shown()[0].text.endsWith(QStringLiteral("もう一度ためしますか？")));
        QTRY_COMPARE(outcome->done + outcome->failed, 1);
        QTRY_VERIFY(task.isNull());
        QCOMPARE(outcome->done, done);
        QCOMPARE(outcome->failed, failed);
        QCOMPARE(RecordsIn(file), std::uint64_t(records));
        if (failed == 1) {
            QVERIFY(outcome->error.startsWith(QStringLiteral("成績ランダムファイル記録")));
            QCOMPARE(outcome->error + QStringLiteral("\n\nもう一度ためしますか？"),
                     boxes.shown()[0].text);
        }
    }

    // A screen deleted while its work waits (on the timer or in the box) ends the work: no
    // callback afterwards, nothing written, nothing touched (under the sanitizers too).
    void deletingTheScreenMidWaitRunsNothingMore_data() {
        QTest::addColumn<bool>("inTheBox");
        QTest::newRow("waiting for the held file") << false;
        QTest::newRow("asking whether to try again") << true;
    }
    void deletingTheScreenMidWaitRunsNothingMore() {
        QFETCH(bool, inTheBox);
        testing::TempDir dir;
        const fs::path file = dir / kScoreRecordFileName;
        std::unique_ptr<LockHolder> holder;
        if (!inTheBox) {
            holder = std::make_unique<LockHolder>(file);
            QVERIFY(holder->Locked());
        }
        testing::SelfAnsweringMessageBoxes boxes;  // a real box, answering Yes after a while
        boxes.openMilliseconds = 400;
        auto* screen = new CountingScreen;
        screen->show();
        auto outcome = std::make_shared<Outcome>();
        if (inTheBox) FailFileChangesAfter(0);
        QPointer<RecordFileTask> task = StartAppend(screen, boxes, file, outcome);
        FailFileChangesAfter(-1);
        QVERIFY(task);
        if (inTheBox) {
            QTRY_VERIFY(task->Asking());
        } else {
            QTest::qWait(150);
        }
        delete screen;
        QVERIFY(task.isNull());
        if (holder) holder->Release();
        QTest::qWait(800);  // past the box's answer and any retry
        QCOMPARE(outcome->done, 0);
        QCOMPARE(outcome->failed, 0);
        QCOMPARE(RecordsIn(file), std::uint64_t{0});
    }

    // The screen may delete itself in its callback (leaving, say): the task is gone with it and
    // does nothing more.
    void theCallbackMayDeleteTheScreen() {
        testing::TempDir dir;
        const fs::path file = dir / kScoreRecordFileName;
        LockHolder holder(file);
        QVERIFY(holder.Locked());
        testing::FakeMessageBoxes boxes;
        QPointer<CountingScreen> screen = new CountingScreen;
        int done = 0;
        QPointer<RecordFileTask> task = RecordFileTask::Start(
            screen, boxes, [file](RecordFileWaiter& w) { AppendScoreRecord(file, Run(8), w); },
            [&] {
                ++done;
                delete screen.data();
            },
            [](const DataFileError&) {});
        QVERIFY(task);
        QTest::qWait(100);
        holder.Release();
        QTRY_VERIFY(screen.isNull());
        QVERIFY(task.isNull());
        QTest::qWait(100);
        QCOMPARE(done, 1);
        QCOMPARE(RecordsIn(file), std::uint64_t{1});
    }
};

QTEST_MAIN(RecordFileTaskTest)
#include "record_file_task_test.moc"
