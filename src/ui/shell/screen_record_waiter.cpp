#include "ui/shell/screen_record_waiter.h"

#include <QLabel>

#include "ui/shell/look.h"
#include "ui/shell/services.h"

namespace kagaku::ui {

ScreenRecordFileWaiter::ScreenRecordFileWaiter(MessageBoxes& messages, QWidget* parent)
    : messages_(messages), parent_(parent) {}

ScreenRecordFileWaiter::~ScreenRecordFileWaiter() {
    if (notice_)
        delete notice_.data();
}

bool ScreenRecordFileWaiter::Wait(std::chrono::milliseconds delay) {
    WaitKeepingScreenAlive(static_cast<int>(delay.count()));
    return true;
}

void ScreenRecordFileWaiter::ShowNotice(const std::string& text) {
    if (text.empty()) {
        if (notice_)
            notice_->hide();
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
    if (parent_) {
        const QRect area = parent_->window()->geometry();
        notice_->move(area.center() - notice_->rect().center());
    }
    notice_->show();
    notice_->raise();
    PumpEvents();
}

bool ScreenRecordFileWaiter::AskRetry(const std::string& text) {
    return messages_.Ask(parent_, QStringLiteral("化学式 - 成績の記録"),
                         Q(text) + QStringLiteral("\n\nもう一度ためしますか？")) ==
           MessageBoxes::Answer::Yes;
}

}  // namespace kagaku::ui
