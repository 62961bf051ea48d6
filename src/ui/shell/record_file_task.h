#pragma once
// A piece of record file work run from a screen without waiting in place. The work is tried
// at once; while the shared file is busy each try stops where it would wait, and the next try
// comes from a timer once the wait is over, the screen drawn and answering meanwhile. An error
// that waiting will not mend is put to the pupil (or teacher) in a box: Yes tries again, No
// gives up. Each try goes on from where the last one stopped (its waits keep growing, a run
// written once is not written twice), so the work is the record file call itself, run again
// from the start on each try:
//
//     RecordFileTask::Start(
//         this, boxes, [file, record](RecordFileWaiter& w) { AppendScoreRecord(file, record, w); },
//         [this] { ShowSaved(); }, [this](const DataFileError& e) { ShowFailure(e); });
//
// The work runs later too: it holds its inputs by value, or refers only to what lives as long
// as the screen. The task belongs to the screen: once the screen is deleted nothing more runs.
// What a key or a click may do while the task waits is the screen's to decide.

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

#include "common/errors.h"
#include "records/record_file_waiter.h"

class QLabel;
class QWidget;

namespace kagaku::ui {

class MessageBoxes;

class RecordFileTask final : public QObject {
    Q_OBJECT

public:
    using Work = std::function<void(RecordFileWaiter&)>;
    using Done = std::function<void()>;
    using Failed = std::function<void(const DataFileError&)>;

    // Runs work over screen. When the work finishes (or fails) at once, done (or failed) has
    // run before this returns and so does nothing more: the result is null. Otherwise the
    // task, owned by the screen, waits and tries again; exactly one of done and failed runs
    // later, and the task goes after it. Deleting the task (or the screen) drops the work.
    // failed gets the error the work threw (a DataFileError or one derived from it; any
    // other error of the work is given as a DataFileError with its text).
    static RecordFileTask* Start(QWidget* screen, MessageBoxes& boxes, Work work, Done done,
                                 Failed failed);
    ~RecordFileTask() override;

    // True while a box asks whether to try again.
    bool Asking() const { return asking_; }
    // The tries so far.
    int Tries() const { return tries_; }

private:
    class Waiter;
    RecordFileTask(QWidget* screen, MessageBoxes& boxes, Work work, Done done, Failed failed);
    // One try. Returns true once the work has finished (done or failed has run).
    bool Try();
    void Retry();
    void Ask(const WaitDeferred& question);
    void ShowNotice(const std::string& text);
    void TakeNoticeDown();

    QPointer<QWidget> screen_;
    MessageBoxes& boxes_;
    Work work_;
    Done done_;
    Failed failed_;
    RecordFileProgress progress_;
    std::unique_ptr<Waiter> waiter_;
    std::optional<DataFileError> refused_;
    QPointer<QLabel> notice_;
    int tries_ = 0;
    bool asking_ = false;
};

}  // namespace kagaku::ui
