#pragma once
// What the benchmarks that read the record file share: a waiter that never waits, and the least
// reading the file can cost.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/shared_file.h"
#include "records/record_file_waiter.h"
#include "records/score_record.h"

namespace kagaku::bench {

class NoWaits final : public RecordFileWaiter {
public:
    bool Wait(std::chrono::milliseconds) override { return true; }
    void ShowNotice(const std::string&) override {}
    bool AskRetry(const std::string&) override { return false; }
};

// Opens the file, reads its bytes in one call, and makes one pass that looks at every record's
// pupil, level and seconds.
inline std::int64_t ReadRecordsOnePass(const std::filesystem::path& file, std::string& buffer) {
    SharedFile f(file, SharedFile::Mode::ReadOnly);
    buffer.resize(static_cast<std::size_t>(f.Size()));
    f.ReadAt(0, buffer.data(), buffer.size());
    std::int64_t sum = 0;
    for (std::size_t at = 0; at + kScoreRecordSize <= buffer.size(); at += kScoreRecordSize) {
        std::int16_t pupil;
        std::int16_t level;
        std::int32_t seconds;
        std::memcpy(&pupil, buffer.data() + at + 16, sizeof pupil);
        std::memcpy(&level, buffer.data() + at + 18, sizeof level);
        std::memcpy(&seconds, buffer.data() + at + 20, sizeof seconds);
        sum += pupil + level + seconds;
    }
    return sum;
}

}  // namespace kagaku::bench
