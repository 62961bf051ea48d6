// The record manager's list of a school's year: the lines of 100000 records built from one read
// of the file, beside the floor (one read, one pass over the records).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "admin/record_manager.h"
#include "common/ole_date.h"
#include "record_file_floor.h"
#include "records/score_record_file.h"

namespace {

using namespace kagaku;
namespace fs = std::filesystem;

constexpr int kRecords = 100000;

const fs::path& RecordFile() {
    static const fs::path file = [] {
        fs::path dir = fs::temp_directory_path() / "kagaku_record_manager_bench";
        fs::create_directories(dir);
        fs::path path = dir / kScoreRecordFileName;
        std::string bytes;
        for (int i = 0; i < kRecords; ++i) {
            ScoreRecord r;
            r.RunDate = ToOleDate(CivilDate{2024, 4, 1}) + i % 365;
            r.RunTimeOfDay = (9 * 3600 + i % 30000) / 86400.0;
            r.PupilNumber = static_cast<std::int16_t>(1 + i % 400);
            r.Level = static_cast<std::int16_t>(1 + i % 12);
            r.Seconds = 30 + i % 300;
            r.SchoolCode = MakeRecordText(i % 10 == 0 ? "99999" : "12345");
            const auto b = EncodeScoreRecord(r);
            bytes.append(b.data(), b.size());
        }
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }();
    return file;
}

admin::RosterLookup Roster() {
    admin::RosterLookup roster;
    for (std::size_t n = 1; n <= 400; ++n) {
        roster.NameOf[n] = "生徒" + std::to_string(n);
        roster.GradeOf[n] = "中２";
    }
    return roster;
}

void BM_Floor_ReadAndOnePass(benchmark::State& state) {
    std::string buffer;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bench::ReadRecordsOnePass(RecordFile(), buffer));
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_Floor_ReadAndOnePass)->Unit(benchmark::kMillisecond);

void BM_ManagerLines(benchmark::State& state) {
    const admin::RosterLookup roster = Roster();
    const admin::OwnSchool school{MakeRecordText("12345"), "さくら進学塾"};
    for (auto _ : state) {
        const RecordWindow window = ReadRecordWindow(RecordFile(), 0);
        const admin::RecordListing listing = admin::BuildRecordListing(window, roster, school);
        benchmark::DoNotOptimize(listing.Lines.data());
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ManagerLines)->Unit(benchmark::kMillisecond);

}  // namespace
