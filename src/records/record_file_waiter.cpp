#include "records/record_file_waiter.h"

#include "common/errors.h"

namespace kagaku {

BusyFileWait::BusyFileWait(RecordFileWaiter& waiter, std::string longWaitNotice,
                           std::string fileForMessages)
    : waiter_(waiter), notice_(std::move(longWaitNotice)), file_(std::move(fileForMessages)) {}

BusyFileWait::~BusyFileWait() {
    if (noticeShown_) {
        try {
            waiter_.ShowNotice("");
        } catch (...) {
            // Taking the notice down must not turn one failure into two.
        }
    }
}

void BusyFileWait::OneSecond() {
    if (!waiter_.Wait(1)) {
        throw DataFileError(file_, "ほかのパソコンが使用中のため、" + std::to_string(seconds_) +
                                       "秒待ちましたが使えませんでした");
    }
    ++seconds_;
    if (seconds_ >= kLongWaitSeconds && !noticeShown_) {
        noticeShown_ = true;
        waiter_.ShowNotice(notice_);
    }
}

}  // namespace kagaku
