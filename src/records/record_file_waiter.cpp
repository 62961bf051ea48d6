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
                           std::string fileForMessages)
    : waiter_(waiter),
      delays_(waiter.WaitSpread()),
      notice_(std::move(longWaitNotice)),
      file_(std::move(fileForMessages)) {}

BusyFileWait::~BusyFileWait() {
    if (noticeShown_) {
        try {
            waiter_.ShowNotice("");
        } catch (...) {
            // Taking the notice down must not turn one failure into two.
        }
    }
}

void BusyFileWait::BeforeNextTry() {
    const std::chrono::milliseconds delay = delays_.Next();
    if (!waiter_.Wait(delay)) {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(waited_).count();
        throw DataFileError(file_, "ほかのパソコンが使用中のため、" + std::to_string(seconds) +
                                       "秒待ちましたが使えませんでした");
    }
    waited_ += delay;
    ++tries_;
    if (waited_ >= kLongWait && !noticeShown_) {
        noticeShown_ = true;
        waiter_.ShowNotice(notice_);
    }
}

}  // namespace kagaku
