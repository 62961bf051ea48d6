#include "ui/screen_record_waiter.h"

#include "ui/look.h"

namespace kagaku::ui {

bool ScreenRecordWaiter::Wait(int seconds) {
    WaitKeepingScreenAlive(seconds * 1000);
    return true;
}

void ScreenRecordWaiter::ShowNotice(const std::string& text) {
    if (showNotice_)
        showNotice_(text);
}

bool ScreenRecordWaiter::AskRetry(const std::string& text) {
    messages_.Inform(screen_, QStringLiteral("化学式"), Q(text));
    return false;
}

}  // namespace kagaku::ui
