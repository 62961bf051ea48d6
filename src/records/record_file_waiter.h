#pragma once
// What the record file code needs from whoever shows the screen while it waits for the shared
// file: letting time pass with the screen repainting, messages and a notice for long waits.
// The program implements it with its event loop and message boxes; the command-line tool with
// sleeps and standard error; tests with a stand-in that records the calls.

#include <chrono>
#include <string>

#include "common/clock.h"
#include "records/busy_retry_delays.h"

namespace kagaku {

class RecordFileWaiter {
public:
    virtual ~RecordFileWaiter() = default;
    // Lets about `delay` pass while the screen keeps repainting. Returns false to stop waiting
    // (the command-line tool may; the program never does).
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
};

// Waiting on a busy file, a short and growing wait at a time (BusyRetryDelays), telling the
// pupil what is happening once the wait has gone on for long. Never gives up by itself.
class BusyFileWait {
public:
    BusyFileWait(RecordFileWaiter& waiter, std::string longWaitNotice, std::string fileForMessages);
    ~BusyFileWait();
    BusyFileWait(const BusyFileWait&) = delete;
    BusyFileWait& operator=(const BusyFileWait&) = delete;

    // Waits before the next try. Throws DataFileError when the waiter stops waiting.
    void BeforeNextTry();
    std::chrono::milliseconds Waited() const { return waited_; }
    int Tries() const { return tries_; }

    // A wait this long gets the notice.
    static constexpr std::chrono::seconds kLongWait{30};

private:
    RecordFileWaiter& waiter_;
    BusyRetryDelays delays_;
    std::string notice_;
    std::string file_;
    std::chrono::milliseconds waited_{0};
    int tries_ = 0;
    bool noticeShown_ = false;
};

}  // namespace kagaku
