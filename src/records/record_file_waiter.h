#pragma once
// What the record file code needs from whoever shows the screen while it waits for the shared
// file: letting time pass with the screen repainting, messages and a notice for long waits.
// The command-line tool implements it with sleeps and standard error, tests with a stand-in
// that records the calls: they wait in place. The screens never wait in place: their waiter
// keeps the work's progress (KeptProgress), the code stops a try with WaitDeferred where it
// would wait or ask, and the screen runs the work again later, from a timer or once the
// question is answered. Each try goes on from where the last one stopped.

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "common/clock.h"
#include "common/errors.h"
#include "records/busy_retry_delays.h"

namespace kagaku {

// How far one waiting loop of the record file code has come.
struct WaitingLoopProgress {
    // The waits on a busy file.
    double ceilingMs = static_cast<double>(BusyRetryDelays::kFirstCeiling.count());
    std::chrono::milliseconds waited{0};
    int tries = 0;
    bool noticeShown = false;
    // An append: the record number of a write that was not undone, so that a try after a
    // failed truncate does not add the run twice.
    std::optional<std::uint64_t> writtenAt;
    // A rewrite: the new bytes may be in the file already.
    bool written = false;
    // A read: the waits for a file that was not found, and once they are used up the problem
    // to report.
    int notFoundWaits = 0;
    std::string gaveUp;
};

// The progress of one piece of record file work across its tries, one entry per waiting loop
// (named by what it does and the file). An entry lives while its loop has stopped to wait or
// ask and goes once the loop ends, done or failed.
class RecordFileProgress {
public:
    WaitingLoopProgress& Loop(const std::string& key) { return loops_[key]; }
    void EndLoop(const std::string& key) { loops_.erase(key); }
    bool Empty() const { return loops_.empty(); }

    // Set while a try is stopping to wait or ask: the loops it passes through on the way out
    // keep their progress.
    bool Stopping() const { return stopping_; }
    void MarkStopping() { stopping_ = true; }
    void BeginTry() { stopping_ = false; }

private:
    std::map<std::string, WaitingLoopProgress> loops_;
    bool stopping_ = false;
};

// A try of the work stopped where it would have waited or asked (only with a waiter that
// keeps the progress). Not an error, and on purpose no std::exception: no handler of errors
// is to take it for one. The work is to run again after the delay, or once the question is
// answered: Yes runs it again, No gives up with IfRefused.
class WaitDeferred {
public:
    static WaitDeferred ForWait(std::chrono::milliseconds delay) {
        WaitDeferred d;
        d.delay_ = delay;
        return d;
    }
    static WaitDeferred ForQuestion(std::string question, DataFileError ifRefused) {
        WaitDeferred d;
        d.question_ = std::move(question);
        d.ifRefused_.emplace(std::move(ifRefused));
        return d;
    }
    bool Asks() const { return ifRefused_.has_value(); }
    std::chrono::milliseconds Delay() const { return delay_; }
    const std::string& Question() const { return question_; }
    const DataFileError& IfRefused() const { return *ifRefused_; }

private:
    WaitDeferred() = default;
    std::chrono::milliseconds delay_{0};
    std::string question_;
    std::optional<DataFileError> ifRefused_;
};

class RecordFileWaiter {
public:
    virtual ~RecordFileWaiter() = default;
    // Lets about `delay` pass. Returns false to stop waiting (the command-line tool may).
    virtual bool Wait(std::chrono::milliseconds delay) = 0;
    // Shows a notice (non-empty text) while a wait lasts long, or takes it down (empty text).
    virtual void ShowNotice(const std::string& text) = 0;
    // After an error that waiting will not mend: shows text and returns true to try again or
    // false to give up. The plain form shows the message with an OK button and gives up.
    virtual bool AskRetry(const std::string& text) = 0;
    // The random numbers that spread the waits between tries on a busy file. By default a
    // source of this process's own, seeded once from the system's entropy, so that PCs (and
    // processes) started in the same second still spread apart; tests put a stand-in here.
    virtual RandomSource& WaitSpread();
    // Null for a waiter that waits in place. Otherwise the progress the code keeps across
    // tries: instead of calling Wait or AskRetry it throws WaitDeferred.
    virtual RecordFileProgress* KeptProgress() { return nullptr; }
};

// Waiting on a busy file, a short and growing wait at a time (BusyRetryDelays), telling the
// pupil what is happening once the wait has gone on for long. Never gives up by itself.
// `loop` names what the loop does; with the file it names the loop's kept progress.
class BusyFileWait {
public:
    BusyFileWait(RecordFileWaiter& waiter, std::string longWaitNotice, std::string fileForMessages,
                 const std::string& loop);
    ~BusyFileWait();
    BusyFileWait(const BusyFileWait&) = delete;
    BusyFileWait& operator=(const BusyFileWait&) = delete;

    // Waits before the next try. Throws DataFileError when the waiter stops waiting, or
    // WaitDeferred when the waiter keeps the progress.
    void BeforeNextTry();
    // After an error that waiting will not mend: returns to try again, throws DataFileError
    // (file and message) to give up, or WaitDeferred when the waiter keeps the progress.
    void AskRetry(const std::string& message);
    // Lets `delay` pass outside the growing waits (for a file that is not found). Returns
    // false when the waiter stops waiting; throws WaitDeferred when it keeps the progress.
    bool WaitFor(std::chrono::milliseconds delay);

    // What this loop has done so far (kept across tries, or this loop's own).
    WaitingLoopProgress& Progress() { return *progress_; }
    std::chrono::milliseconds Waited() const { return progress_->waited; }
    int Tries() const { return progress_->tries; }

    // A wait this long gets the notice.
    static constexpr std::chrono::seconds kLongWait{30};

private:
    [[noreturn]] void Stop(WaitDeferred deferred);
    void ShowNoticeIfLong();

    RecordFileWaiter& waiter_;
    RecordFileProgress* kept_;
    std::string key_;
    WaitingLoopProgress own_;
    WaitingLoopProgress* progress_;
    std::string notice_;
    std::string file_;
};

}  // namespace kagaku
