#pragma once
// Shared by the record tests: a waiter that records what it was asked and can act while it
// "waits", and quick ways to write record files.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "common/ole_date.h"
#include "records/record_file_waiter.h"
#include "records/score_record.h"
#include "records/score_record_file.h"
#include "support/test_support.h"

namespace kagaku::testing {

class FakeWaiter final : public RecordFileWaiter {
public:
    // Records each wait in milliseconds.
    bool Wait(std::chrono::milliseconds delay) override {
        waits.push_back(static_cast<int>(delay.count()));
        if (onWait) {
            onWait(static_cast<int>(waits.size()));
        }
        return static_cast<int>(waits.size()) <= waitLimit;
    }
    void ShowNotice(const std::string& text) override { notices.push_back(text); }
    bool AskRetry(const std::string& text) override {
        retryQuestions.push_back(text);
        return static_cast<int>(retryQuestions.size()) <= retryAnswersYes;
    }
    // Every spread is the middle one unless a test scripts its own.
    RandomSource& WaitSpread() override { return spread; }

    std::vector<int> waits;
    std::vector<std::string> notices;
    std::vector<std::string> retryQuestions;
    std::function<void(int waitNumber)> onWait;
    int waitLimit = 1'000'000;  // Wait returns false after this many calls
    int retryAnswersYes = 0;    // AskRetry says yes this many times
    struct MiddleSpread final : RandomSource {
        double Next() override { return 0.5; }
    } spread;
};

inline ScoreRecord RunOn(const CivilDate& day, int pupil, int level, std::int32_t seconds) {
    ScoreRecord r;
    r.RunDate = ToOleDate(day);
    r.RunTimeOfDay = 0.5;
    r.PupilNumber = static_cast<std::int16_t>(pupil);
    r.Level = static_cast<std::int16_t>(level);
    r.Seconds = seconds;
    return r;
}

inline std::string RecordFileBytes(const std::vector<ScoreRecord>& records) {
    std::string bytes;
    for (const ScoreRecord& r : records) {
        ScoreRecordBytes b = EncodeScoreRecord(r);
        bytes.append(b.data(), b.size());
    }
    return bytes;
}

inline std::filesystem::path WriteRecordFile(const TempDir& dir,
                                             const std::vector<ScoreRecord>& records) {
    return dir.WriteBytes(kScoreRecordFileName, RecordFileBytes(records));
}

}  // namespace kagaku::testing
