#include "ui/shell/record_file_task.h"

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <exception>
#include <utility>

#include "ui/shell/look.h"
#include "ui/shell/services.h"

namespace kagaku::ui {

// Never waits in place: the record file code stops the try instead (KeptProgress), and the
// task tries again later.
class RecordFileTask::Waiter final : public RecordFileWaiter {
public:
    explicit Waiter(RecordFileTask& task) : task_(task) {}
    // Only code that does not keep progress calls these; it gives up rather than block.
    bool Wait(std::chrono::milliseconds) override { return false; }
    bool AskRetry(const std::string&) override { return false; }
    void ShowNotice(const std::string& text) override { task_.ShowNotice(text); }
    RecordFileProgress* KeptProgress() override { return &task_.progress_; }

private:
    RecordFileTask& task_;
};

RecordFileTask* RecordFileTask::Start(QWidget* screen, MessageBoxes& boxes, Work work, Done done,
                                      Failed failed) {
    QPointer<RecordFileTask> task =
        new RecordFileTask(screen, boxes, std::move(work), std::move(done), std::move(failed));
    if (!task->Try()) {
        return task;
    }
    delete task.data();  // null when done or failed took the screen (and the task) with them
    return nullptr;
}

RecordFileTask::RecordFileTask(QWidget* screen, MessageBoxes& boxes, Work work, Done done,
                               Failed failed)
    : QObject(screen),
      screen_(screen),
      boxes_(boxes),
      work_(std::move(work)),
      done_(std::move(done)),
      failed_(std::move(failed)),
      waiter_(std::make_unique<Waiter>(*this)) {}

RecordFileTask::~RecordFileTask() {
    TakeNoticeDown();
}

bool RecordFileTask::Try() {
    ++tries_;
    progress_.BeginTry();
    std::optional<WaitDeferred> stopped;
    // done and failed may delete the screen and with it this task: nothing of the task is
    // touched once they have been called.
    try {
        work_(*waiter_);
    } catch (const WaitDeferred& d) {
        stopped.emplace(d);
    } catch (const DataFileError& e) {
        TakeNoticeDown();
        Failed failed = std::move(failed_);
        if (failed) {
            failed(e);
        }
        return true;
    } catch (const std::exception& e) {
        TakeNoticeDown();
        Failed failed = std::move(failed_);
        if (failed) {
            failed(DataFileError(std::string(), e.what()));
        }
        return true;
    }
    if (!stopped) {
        TakeNoticeDown();
        Done done = std::move(done_);
        if (done) {
            done();
        }
        return true;
    }
    if (stopped->Asks()) {
        Ask(*stopped);
    } else {
        // A timer of its own for each wait: the try it starts may delete the task.
        QTimer::singleShot(stopped->Delay(), this, &RecordFileTask::Retry);
    }
    return false;
}

void RecordFileTask::Retry() {
    QPointer<RecordFileTask> self(this);
    if (Try() && self) {
        deleteLater();
    }
}

void RecordFileTask::Ask(const WaitDeferred& question) {
    asking_ = true;
    refused_.emplace(question.IfRefused());
    QPointer<RecordFileTask> self(this);
    boxes_.Ask(screen_, QStringLiteral("化学式 - 成績の記録"),
               Q(question.Question()) + QStringLiteral("\n\nもう一度ためしますか？"),
               [self](MessageBoxes::Answer answer) {
                   if (!self) {
                       return;
                   }
                   self->asking_ = false;
                   if (answer == MessageBoxes::Answer::Yes) {
                       // Once the box has closed (a box that answers at once must not start
                       // a chain of tries within tries).
                       QTimer::singleShot(0, self.data(), &RecordFileTask::Retry);
                       return;
                   }
                   self->TakeNoticeDown();
                   const DataFileError error = *self->refused_;
                   Failed failed = std::move(self->failed_);
                   self->deleteLater();
                   if (failed) {
                       failed(error);
                   }
               });
}

void RecordFileTask::ShowNotice(const std::string& text) {
    if (text.empty()) {
        TakeNoticeDown();
        return;
    }
    if (!notice_) {
        notice_ = PlainLabel(QString(), nullptr);
        notice_->setObjectName("RecordFileNotice");
        notice_->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        notice_->setFont(UiFont(28, true));
        notice_->setAlignment(Qt::AlignCenter);
        notice_->setStyleSheet("background: #FFF6C0; border: 3px solid #806000; padding: 16px;");
    }
    notice_->setText(Q(text));
    notice_->adjustSize();
    if (screen_) {
        const QRect area = screen_->window()->geometry();
        notice_->move(area.center() - notice_->rect().center());
    }
    notice_->show();
    notice_->raise();
}

void RecordFileTask::TakeNoticeDown() {
    if (notice_) {
        delete notice_.data();
    }
}

}  // namespace kagaku::ui
