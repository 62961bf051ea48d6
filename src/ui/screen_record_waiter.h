#pragma once
// How a screen waits for the shared score record file: the wait lets the screen repaint and
// its clocks count, a long wait shows a notice on the screen's cover, and a fault that waiting
// does not mend is shown in a message box.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

#include "records/record_file_waiter.h"
#include "ui/services.h"

namespace kagaku::ui {

class ScreenRecordWaiter final : public RecordFileWaiter {
public:
    ScreenRecordWaiter(MessageBoxes& messages, QWidget* screen,
                       std::function<void(const std::string&)> showNotice = {})
        : messages_(messages), screen_(screen), showNotice_(std::move(showNotice)) {}

    bool Wait(int seconds) override;
    void ShowNotice(const std::string& text) override;
    bool AskRetry(const std::string& text) override;

private:
    MessageBoxes& messages_;
    QPointer<QWidget> screen_;
    std::function<void(const std::string&)> showNotice_;
};

}  // namespace kagaku::ui
