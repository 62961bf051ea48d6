// The detail view's reports for a big school (5000 pupils, 20000 records in a real record
// file): the page description of three blocks for one pupil (one read of the file, each level
// ranked once) beside its floor, one pass over the same records; and printing 30 pupils'
// reports to PDF files.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include <unistd.h>

#include "board/detail_report.h"
#include "common/files.h"
#include "common/ole_date.h"
#include "record_file_floor.h"
#include "records/score_record.h"
#include "records/score_record_file.h"
#include "../tests/support/state_parts.h"
#include "ui/menu/report_painter.h"

namespace kagaku {
namespace {

constexpr int kPupils = 5000;
constexpr int kRecords = 20000;
constexpr int kLevels = 12;
constexpr int kPupil = 17;

struct School {
    std::filesystem::path folder;
    std::unique_ptr<StateParts> state = std::make_unique<StateParts>();
    double now = ToOleDateTime({2010, 6, 9}, {15, 0, 0});

    School() {
        folder = std::filesystem::temp_directory_path() /
                 ("kagaku-detail-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder / "kagaku");
        StateParts& s = *state;
        s.setup.ProgramDataFolder = (folder / "kagaku").string() + "/";
        s.setup.ProgramName = "化学式";
        s.setup.LevelCount = kLevels;
        s.signIn.PupilNumber = kPupil;
        s.roster.SchoolYear = 2010;
        std::mt19937 random(42);
        const char* family[] = {"山田", "佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺"};
        for (int i = 1; i <= kLevels; ++i)
            s.setup.LevelNames[static_cast<std::size_t>(i)] = "レベル" + std::to_string(i);
        for (int n = 1; n <= kPupils; ++n) {
            const auto k = static_cast<std::size_t>(n);
            s.roster.RosterCount = n;
            s.roster.RosterNumberAt[k] = static_cast<std::int16_t>(n);
            s.roster.RosterName[k] = std::string(family[random() % 7]) + std::to_string(n);
            s.roster.RosterBirthYear[k] = static_cast<std::int16_t>(1993 + random() % 14);
        }
        const double today = ToOleDate({2010, 6, 9});
        std::string bytes;
        for (int r = 0; r < kRecords; ++r) {
            ScoreRecord record;
            record.RunDate = today - static_cast<double>(random() % 60);
            record.RunTimeOfDay = 0.5;
            record.PupilNumber = static_cast<std::int16_t>(
                r % 20 == 0 ? kPupil : static_cast<int>(1 + random() % kPupils));
            record.Level = static_cast<std::int16_t>(1 + random() % kLevels);
            record.Seconds = 20 + static_cast<int>(random() % 200);
            const ScoreRecordBytes encoded = EncodeScoreRecord(record);
            bytes.append(encoded.data(), encoded.size());
            auto& a = s.standing;
            std::int32_t& best = a.BestTime.at(record.Level, record.PupilNumber);
            best = std::min(best, record.Seconds);
            a.TotalPoints.at(record.Level, record.PupilNumber) += 3;
        }
        WriteFileAtomically(RecordFile(), bytes);
    }
    std::filesystem::path RecordFile() const { return ScoreRecordPath(state->setup.ProgramDataFolder); }
    ~School() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    // One draw: the file read once, each level ranked once, the pages of the pupil's levels.
    std::vector<ReportDocument> Draw(const std::vector<int>& pupils, ReportTarget target) const {
        const RecordWindow window = ReadRecordWindow(RecordFile(), kPeriodListScan);
        const std::vector<RunRecord> records = RunRecordsOf(window);
        DetailRankings rankings(state->Board(), "全学年", 1);
        const std::vector<int> levels = {1, 2, 3};
        std::vector<ReportDocument> out;
        for (int pupil : pupils)
            out.push_back(BuildDetailReport({state->Board(), "全学年", target, now}, records, pupil, levels,
                                            rankings));
        return out;
    }
};

School& TheSchool() {
    static School school;
    return school;
}

// Floor: the record file's bytes and one pass over its records.
void BM_DetailReportFloor(benchmark::State& st) {
    School& school = TheSchool();
    std::string buffer;
    for (auto _ : st)
        benchmark::DoNotOptimize(bench::ReadRecordsOnePass(school.RecordFile(), buffer));
}
BENCHMARK(BM_DetailReportFloor)->Unit(benchmark::kMillisecond);

// The page description of three blocks for one pupil.
void BM_DetailReportThreeBlocks(benchmark::State& st) {
    School& school = TheSchool();
    for (auto _ : st)
        benchmark::DoNotOptimize(school.Draw({kPupil}, ReportTarget::Screen));
}
BENCHMARK(BM_DetailReportThreeBlocks)->Unit(benchmark::kMillisecond);

// Thirty pupils' reports, each printed to a PDF file of its own (A4 portrait).
void BM_PrintThirtyPupilsToPdf(benchmark::State& st) {
    School& school = TheSchool();
    std::vector<int> pupils;
    for (int n = 1; n <= 30; ++n)
        pupils.push_back(n * 100 + 17);
    for (auto _ : st) {
        const auto docs = school.Draw(pupils, ReportTarget::Paper);
        for (std::size_t i = 0; i < docs.size(); ++i) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(
                (school.folder / ("report" + std::to_string(i) + ".pdf")).string()));
            printer.setPageSize(QPageSize(QPageSize::A4));
            printer.setPageOrientation(QPageLayout::Portrait);
            benchmark::DoNotOptimize(ui::PrintReport(printer, docs[i]));
        }
    }
}
BENCHMARK(BM_PrintThirtyPupilsToPdf)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kagaku

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
