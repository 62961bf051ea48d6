#pragma once
// What the record file code needs from whoever shows the screen while it waits for the shared
// file: letting time pass with the screen repainting, messages and a notice for long waits.
// The program implements it with its event loop and message boxes; the command-line tool with
// sleeps and standard error; tests with a stand-in that records the calls.

#include <string>

namespace kagaku {

class RecordFileWaiter {
public:
    virtual ~RecordFileWaiter() = default;
    // Lets about `seconds` pass while the screen keeps repainting. Returns false to stop
    // waiting (the command-line tool may; the program never does).
    virtual bool Wait(int seconds) = 0;
    // Shows a notice (non-empty text) while a wait lasts long, or takes it down (empty text).
    virtual void ShowNotice(const std::string& text) = 0;
    // After an error that waiting will not mend: shows text and returns true to try again or
    // false to give up. The plain form shows the message with an OK button and gives up.
    virtual bool AskRetry(const std::string& text) = 0;
};

// Waiting on a busy file one second at a time, telling the pupil what is happening once the
// wait has gone on for long. Never gives up by itself.
class BusyFileWait {
public:
    BusyFileWait(RecordFileWaiter& waiter, std::string longWaitNotice, std::string fileForMessages);
    ~BusyFileWait();
    BusyFileWait(const BusyFileWait&) = delete;
    BusyFileWait& operator=(const BusyFileWait&) = delete;

    // Waits one second. Throws DataFileError when the waiter stops waiting.
    void OneSecond();
    int SecondsWaited() const { return seconds_; }

    // A wait this long gets the notice.
    static constexpr int kLongWaitSeconds = 30;

private:
    RecordFileWaiter& waiter_;
    std::string notice_;
    std::string file_;
    int seconds_ = 0;
    bool noticeShown_ = false;
};

}  // namespace kagaku
