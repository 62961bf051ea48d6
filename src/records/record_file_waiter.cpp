#include "records/record_file_waiter.h"

#include <random>

#include "common/errors.h"

namespace kagaku {

RandomSource& RecordFileWaiter::WaitSpread() {
    // The clock alone would give the same seed to PCs started by one bell.
    thread_local SystemRandom spread([] {
        std::random_device entropy;
        return (static_cast<std::uint64_t>(entropy()) << 32) ^ entropy();
    }());
    return spread;
}

BusyFileWait::BusyFileWait(RecordFileWaiter& waiter, std::string longWaitNotice,
                           std::string fileForMessages, const std::string& loop)
    : waiter_(waiter),
      kept_(waiter.KeptProgress()),
      notice_(std::move(longWaitNotice)),
      file_(std::move(fileForMessages)) {
    progress_ = &own_;
    if (kept_ != nullptr) {
        key_ = loop + "\n" + file_;
        progress_ = &kept_->Loop(key_);
        // The wait that stopped the last try is over now: the notice is due if it was long.
        ShowNoticeIfLong();
    }
}

BusyFileWait::~BusyFileWait() {
    if (kept_ != nullptr && kept_->Stopping()) {
        return;  // the work goes on later from here, the notice still up
    }
    const bool noticeShown = progress_->noticeShown;
    if (kept_ != nullptr) {
        kept_->EndLoop(key_);
    }
    if (noticeShown) {
        try {
            waiter_.ShowNotice("");
        } catch (...) {
            // Taking the notice down must not turn one failure into two.
        }
    }
}

void BusyFileWait::Stop(WaitDeferred deferred) {
    kept_->MarkStopping();
    throw deferred;
}

void BusyFileWait::ShowNoticeIfLong() {
    if (progress_->waited >= kLongWait && !progress_->noticeShown) {
        progress_->noticeShown = true;
        waiter_.ShowNotice(notice_);
    }
}

void BusyFileWait::BeforeNextTry() {
    BusyRetryDelays delays(waiter_.WaitSpread(), progress_->ceilingMs);
    const std::chrono::milliseconds delay = delays.Next();
    progress_->ceilingMs = delays.CeilingMs();
    if (kept_ != nullptr) {
        // Counted now: the next try comes only after the delay.
        progress_->waited += delay;
        ++progress_->tries;
        Stop(WaitDeferred::ForWait(delay));
    }
    if (!waiter_.Wait(delay)) {
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(progress_->waited).count();
        throw DataFileError(file_, "ほかのパソコンが使用中のため、" + std::to_string(seconds) +
                                       "秒待ちましたが使えませんでした");
    }
    progress_->waited += delay;
    ++progress_->tries;
    ShowNoticeIfLong();
}

void BusyFileWait::AskRetry(const std::string& message) {
    if (kept_ != nullptr) {
        Stop(WaitDeferred::ForQuestion(message, DataFileError(file_, message)));
    }
    if (!waiter_.AskRetry(message)) {
        throw DataFileError(file_, message);
    }
}

bool BusyFileWait::WaitFor(std::chrono::milliseconds delay) {
    if (kept_ != nullptr) {
        Stop(WaitDeferred::ForWait(delay));
    }
    return waiter_.Wait(delay);
}

}  // namespace kagaku
