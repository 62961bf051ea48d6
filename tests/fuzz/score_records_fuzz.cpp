// A score record file of any bytes (torn records, dates that are not numbers, levels and pupils
// out of range): the window reads whole records only, every record decodes and encodes back to
// its bytes, and the aggregation counts what it can and skips the rest.
#include <cstdlib>
#include <cstring>

#include "common/clock.h"
#include "common/errors.h"
#include "fuzz_support.h"
#include "records/aggregation.h"
#include "records/score_record_file.h"

namespace {

class FixedClock final : public kagaku::Clock {
public:
    double Now() const override { return 45500.5; }
    std::int64_t MonotonicMs() const override { return 0; }
};

class NoWaiting final : public kagaku::RecordFileWaiter {
public:
    bool Wait(std::chrono::milliseconds) override { return false; }
    void ShowNotice(const std::string&) override {}
    bool AskRetry(const std::string&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kagaku;
    const auto file = fuzz::WriteScratch("成績累積データ.dat", fuzz::Bytes(data, size));
    const RecordWindow window = ReadRecordWindow(file, size % 7);
    if (window.Bytes.size() % kScoreRecordSize != 0 ||
        window.WholeRecords * kScoreRecordSize + window.TrailingBytes != size) {
        std::abort();
    }
    for (std::size_t i = 0; i < window.Count(); ++i) {
        const ScoreRecord record = window.Record(i);
        if (std::memcmp(EncodeScoreRecord(record).data(), window.RecordBytes(i),
                        kScoreRecordSize) != 0) {
            std::abort();
        }
        if (auto problem = CheckScoreRecord(record)) {
            (void)DescribeRecordProblem(*problem, record);
        }
        (void)RecordTextValue(record.SchoolCode);
    }
    static ScoreAggregates aggregates;  // reused: the tables are large
    static const LevelSettings settings;
    FixedClock clock;
    NoWaiting waiter;
    try {
        AggregateScoreRecords(file, settings, clock, aggregates, waiter);
    } catch (const DataFileError&) {
    }
    return 0;
}
