#pragma once
// Waiting for the shared record file at the console: real seconds, notices on standard error,
// and no endless wait (a teacher at a prompt is told after two minutes).

#include <chrono>
#include <cstdio>
#include <thread>

#include "records/record_file_waiter.h"

namespace kagaku::admin {

class ConsoleWaiter final : public RecordFileWaiter {
public:
    bool Wait(std::chrono::milliseconds delay) override {
        if (waited_ >= kGiveUp) {
            return false;
        }
        std::this_thread::sleep_for(delay);
        waited_ += delay;
        return true;
    }
    void ShowNotice(const std::string& text) override {
        if (!text.empty()) {
            std::fprintf(stderr, "%s\n", text.c_str());
        }
    }
    // The error itself is reported once, by the caller, when the tool gives up.
    bool AskRetry(const std::string&) override { return false; }

private:
    static constexpr std::chrono::minutes kGiveUp{2};
    std::chrono::milliseconds waited_{0};
};

}  // namespace kagaku::admin
