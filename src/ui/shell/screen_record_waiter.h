#pragma once
// The record file's waits as the screens live them: time passes with the screen repainting, a
// notice stands on top while a busy file keeps the pupil waiting long, and an error that
// waiting will not mend is put to the pupil (or teacher) with the choice to try again.

#include <QPointer>
#include <QWidget>

#include "records/record_file_waiter.h"

class QLabel;

namespace kagaku::ui {

class MessageBoxes;

class ScreenRecordFileWaiter final : public RecordFileWaiter {
public:
    ScreenRecordFileWaiter(MessageBoxes& messages, QWidget* parent);
    ~ScreenRecordFileWaiter() override;

    bool Wait(std::chrono::milliseconds delay) override;
    void ShowNotice(const std::string& text) override;
    bool AskRetry(const std::string& text) override;

private:
    MessageBoxes& messages_;
    QPointer<QWidget> parent_;
    QPointer<QLabel> notice_;
};

}  // namespace kagaku::ui
