// kagaku-admin run as a real process on a copy of the demo data tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "common/cp932.h"
#include "common/files.h"
#include "records/child_process.h"
#include "records/record_test_support.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;
using testing::RunOn;

struct ToolResult {
    int status;
    std::string out;
    std::string err;
};

class AdminTool : public ::testing::Test {
protected:
    AdminTool() {
        fs::copy(KAGAKU_DEMO_DIR, dir_.path(), fs::copy_options::recursive);
        fs::create_directories(dir_ / "kagaku");
        recordFile_ = dir_ / "学校データ" / "kagaku" / PathFromText(kScoreRecordFileName);
    }

    ToolResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), {KAGAKU_ADMIN_TOOL, "--app-folder", PathText(dir_ / "kagaku")});
        const fs::path errFile = dir_ / "stderr.txt";
        testing::ChildProcess tool(args, PathText(errFile));
        int status = 0;
        ToolResult r;
        r.out = tool.Finish(&status);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.err = testing::ReadBytes(errFile);
        return r;
    }

    void Records(const std::vector<ScoreRecord>& records, const std::string& tail = "") {
        std::string bytes = testing::RecordFileBytes(records) + tail;
        fs::create_directories(recordFile_.parent_path());
        std::ofstream(recordFile_, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    // The record file's bytes, to show a refused command left it alone.
    std::string RecordBytes() const { return testing::ReadBytes(recordFile_); }

    static void ExpectOneErrorLine(const ToolResult& r) {
        EXPECT_NE(r.status, 0);
        ASSERT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_EQ(r.err.rfind("kagaku-admin: ", 0), 0u) << r.err;
    }

    const CivilDate today_{2024, 6, 10};
    testing::TempDir dir_;
    fs::path recordFile_;
};

ScoreRecord At(const CivilDate& day, int pupil, int level, std::int32_t seconds, double time) {
    ScoreRecord r = RunOn(day, pupil, level, seconds);
    r.RunTimeOfDay = time;
    r.SchoolCode = MakeRecordText("12345");
    return r;
}

CivilDate DaysBefore(const CivilDate& d, int days) {
    return DateFromSerial(DaySerial(d) - days);
}

// The exact JSON form teachers' scripts parse: every level 1 to 35, the fields in order, with
// windows and today taken at --now.
TEST_F(AdminTool, StandingPrintsTheExactJson) {
    Records({RunOn(today_, 2, 2, 30), RunOn(DaysBefore(today_, 5), 2, 2, 60),
             RunOn(DaysBefore(today_, 20), 2, 2, 99999), RunOn(today_, 3, 2, 25)});
    ToolResult r = Run({"standing", "--pupil", "2", "--now", "2024-06-10 12:00:00"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string expected =
        "{\"pupil\":2,\"levels\":[{\"level\":1,\"run_count\":0,\"pass_window_run_count\":0,"
        "\"ban_window_run_count\":0,\"today_run_count\":0,\"total_points\":0,"
        "\"pass_window_points\":0,\"ban_window_points\":0,\"today_points\":0,"
        "\"best_time\":99999,\"level_best_time\":99999},{\"level\":2,\"run_count\":2,"
        "\"pass_window_run_count\":2,\"ban_window_run_count\":1,\"today_run_count\":1,"
        "\"total_points\":16,\"pass_window_points\":16,\"ban_window_points\":11,"
        "\"today_points\":11,\"best_time\":30,\"level_best_time\":25}";
    for (int level = 3; level <= 35; ++level) {
        expected += ",{\"level\":" + std::to_string(level) +
                    ",\"run_count\":0,\"pass_window_run_count\":0,\"ban_window_run_count\":0,"
                    "\"today_run_count\":0,\"total_points\":0,\"pass_window_points\":0,"
                    "\"ban_window_points\":0,\"today_points\":0,\"best_time\":99999,"
                    "\"level_best_time\":99999}";
    }
    expected += "]}\n";
    EXPECT_EQ(r.out, expected);
}

// check: a clean file exits 0; a damaged record and a partial tail are listed with their
// numbers and make it exit 1.
TEST_F(AdminTool, CheckListsWhatAggregationSkips) {
    Records({RunOn(today_, 2, 2, 30)});
    ToolResult clean = Run({"check"});
    EXPECT_EQ(clean.status, 0) << clean.err;
    EXPECT_NE(clean.out.find("完全な記録: 1件"), std::string::npos) << clean.out;

    Records({RunOn(today_, 2, 2, 30), RunOn(today_, 2, 36, 30), RunOn(today_, 5001, 2, 30)}, "abc");
    ToolResult damaged = Run({"check"});
    EXPECT_EQ(damaged.status, 1) << damaged.err;
    EXPECT_NE(damaged.out.find("完全な記録: 3件"), std::string::npos) << damaged.out;
    EXPECT_NE(damaged.out.find("末尾の半端なバイト: 3"), std::string::npos);
    EXPECT_NE(damaged.out.find("集計から外れる記録: 2件"), std::string::npos);
    EXPECT_NE(damaged.out.find("記録2: レベル36が範囲（1〜35）の外です"), std::string::npos);
    EXPECT_NE(damaged.out.find("記録3: 番号5001が範囲（1〜5000）の外です"), std::string::npos);
}

// export: the header, then one line per record with the roster name and the points as the
// aggregation counts them; cp932 is the same text in code page 932.
TEST_F(AdminTool, ExportWritesEveryRecordAsCsv) {
    Records({At(today_, 2, 2, 30, 37815.0 / 86400.0), At(today_, 3, 4, 99999, 0.0),
             At(today_, 2, 36, 30, 0.0)});
    ToolResult r = Run({"export"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "記録番号,日付,時刻,番号,名前,レベル,秒,ポイント,学校コード\r\n"
              "1,2024/06/10,10:30:15,2,青木　さくら,2,30,11,12345\r\n"
              "2,2024/06/10,0:00:00,3,石川　大翔,4,99999,0,12345\r\n"
              "3,2024/06/10,0:00:00,2,青木　さくら,36,30,,12345\r\n");
    ToolResult sjis = Run({"export", "--encoding", "cp932"});
    ASSERT_EQ(sjis.status, 0);
    EXPECT_EQ(sjis.out, Utf8ToCp932(r.out, "out"));
    ExpectOneErrorLine(Run({"export", "--encoding", "latin1"}));
}

// add-run appends through the locked append (over a torn tail) and refuses numbers out of
// range without touching the file.
TEST_F(AdminTool, AddRunAppendsAndRefusesOutOfRange) {
    Records({RunOn(today_, 2, 2, 30)}, "torn");
    ToolResult r = Run({"add-run", "--pupil", "7", "--level", "4", "--seconds", "99999"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "記録2を追加しました\n");
    EXPECT_EQ(fs::file_size(recordFile_), 88u);
    ScoreRecord added = ReadScoreRecord(recordFile_, 2);
    EXPECT_EQ(added.PupilNumber, 7);
    EXPECT_EQ(added.Level, 4);
    EXPECT_EQ(added.Seconds, 99999);
    EXPECT_EQ(RecordTextValue(added.SchoolCode), "12345");

    for (auto args : std::vector<std::vector<std::string>>{
             {"add-run", "--pupil", "5001", "--level", "4", "--seconds", "30"},
             {"add-run", "--pupil", "0", "--level", "4", "--seconds", "30"},
             {"add-run", "--pupil", "7", "--level", "36", "--seconds", "30"},
             {"add-run", "--pupil", "7", "--level", "4", "--seconds", "-1"},
             {"add-run", "--pupil", "7x", "--level", "4", "--seconds", "30"},
             {"add-run", "--level", "4", "--seconds", "30"},
         }) {
        ToolResult refused = Run(args);
        ExpectOneErrorLine(refused);
    }
    EXPECT_EQ(fs::file_size(recordFile_), 88u);

    // The last good pupil and level beside the first bad ones above.
    ToolResult lastGood = Run({"add-run", "--pupil", "5000", "--level", "35", "--seconds", "30"});
    ASSERT_EQ(lastGood.status, 0) << lastGood.err;
    EXPECT_EQ(lastGood.out, "記録3を追加しました\n");
    EXPECT_EQ(ReadScoreRecord(recordFile_, 3).PupilNumber, 5000);
    EXPECT_EQ(ReadScoreRecord(recordFile_, 3).Level, 35);
}

// Every failure is one line on standard error and a non-zero status, never a crash.
TEST_F(AdminTool, FailuresAreOneLine) {
    ExpectOneErrorLine(Run({}));
    ExpectOneErrorLine(Run({"frobnicate"}));
    ExpectOneErrorLine(Run({"standing", "--pupil", "2", "--now", "2024-13-01 00:00:00"}));
    fs::create_directories(recordFile_);  // a folder where the record file should be
    ExpectOneErrorLine(Run({"check"}));
    ExpectOneErrorLine(Run({"standing", "--pupil", "2"}));
    fs::remove(dir_ / "パスデータ.txt");
    ExpectOneErrorLine(Run({"check"}));
}

// The record manager's operations: the manager's lines, a correction that changes only the
// pupil and seconds, a deletion, and one error line for a record that is not there.
TEST_F(AdminTool, ListRewriteAndDeleteWorkOnSingleRecords) {
    Records({At(today_, 2, 2, 30, 0.5), At(today_, 3, 4, 99999, 0.5), At(today_, 2, 3, 41, 0.5)});
    ToolResult list = Run({"list"});
    ASSERT_EQ(list.status, 0) << list.err;
    // The grade column follows today's school year.
    const std::string first = list.out.substr(0, list.out.find('\n'));
    EXPECT_EQ(first.rfind("   1 2024/06/10　 12:00:00ﾚﾍﾞﾙ2　   30秒 　   2 青木　さくら ", 0), 0u)
        << first;
    EXPECT_NE(first.find("++さくら進学塾"), std::string::npos) << first;

    const std::string before = testing::ReadBytes(recordFile_);
    ToolResult rewrite = Run({"rewrite", "--record", "2", "--pupil", "12", "--seconds", "45"});
    ASSERT_EQ(rewrite.status, 0) << rewrite.err;
    const std::string after = testing::ReadBytes(recordFile_);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        const std::size_t at = i - 44;
        const bool changed = i >= 44 && i < 88 && ((at >= 16 && at < 18) || (at >= 20 && at < 24));
        EXPECT_EQ(after[i] != before[i], changed && after[i] != before[i]) << "byte " << i;
    }
    EXPECT_EQ(DecodeScoreRecord(after.data() + 44).PupilNumber, 12);
    EXPECT_EQ(DecodeScoreRecord(after.data() + 44).Seconds, 45);

    ToolResult deleted = Run({"delete", "--record", "1"});
    ASSERT_EQ(deleted.status, 0) << deleted.err;
    EXPECT_EQ(testing::ReadBytes(recordFile_), after.substr(44));
    ExpectOneErrorLine(Run({"delete", "--record", "3"}));
    ExpectOneErrorLine(Run({"rewrite", "--record", "9", "--seconds", "4"}));
    ExpectOneErrorLine(Run({"rewrite", "--record", "1", "--seconds", "100000"}));
    EXPECT_EQ(fs::file_size(recordFile_), 88u);
}

// --help and -h, at the top and on every command: exit 0, the help on standard output with each
// of the command's options and its type, and the exit statuses. --version answers too.
TEST_F(AdminTool, HelpOfEveryCommandNamesItsOptions) {
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> named;
    } cases[] = {
        {{"--help"},
         {"check", "export", "add-run", "standing", "list", "rewrite", "delete", "--version",
          "--app-folder"}},
        {{"-h"}, {"使い方: kagaku-admin", "check", "delete"}},
        {{"check", "--help"}, {"--json", "--app-folder"}},
        {{"export", "-h"}, {"--encoding", "utf-8|cp932", "--app-folder"}},
        {{"add-run", "--help"},
         {"--pupil 整数（1〜5000）", "--level 整数（1〜35）", "--seconds 整数（0〜99999）",
          "（必須）", "--app-folder"}},
        {{"standing", "--help"}, {"--pupil", "--now \"yyyy-mm-dd hh:mm:ss\"", "--app-folder"}},
        {{"list", "--help"}, {"--app-folder"}},
        {{"rewrite", "--help"}, {"--record 整数（1以上）", "--pupil", "--seconds"}},
        {{"delete", "--help"}, {"--record", "--app-folder"}},
        // Help before a missing required option.
        {{"add-run", "--help", "--pupil", "3"}, {"--level"}},
    };
    for (const auto& c : cases) {
        const ToolResult r = Run(c.args);
        const std::string label = c.args.front() + " " + c.args.back();
        EXPECT_EQ(r.status, 0) << label << ": " << r.err;
        EXPECT_EQ(r.err, "") << label;
        EXPECT_NE(r.out.find("  2  コマンドラインの誤り"), std::string::npos) << label << r.out;
        for (const std::string& name : c.named) {
            EXPECT_NE(r.out.find(name), std::string::npos) << label << " lacks " << name;
        }
    }
    const ToolResult version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("kagaku-admin 1.", 0), 0u) << version.out;
}

// Every kind of mistake on the command line: status 2, one line naming the option (or the
// command), and the record file untouched.
TEST_F(AdminTool, UsageErrorsExitTwoNamingTheOption) {
    Records({RunOn(today_, 2, 2, 30)});
    const std::string before = RecordBytes();
    const struct {
        std::vector<std::string> args;
        std::string named;
    } cases[] = {
        {{"add-run", "--pupil", "5001", "--level", "4", "--seconds", "30"}, "--pupil"},
        {{"add-run", "--pupil", "0", "--level", "4", "--seconds", "30"}, "--pupil"},
        {{"add-run", "--pupil", "7x", "--level", "4", "--seconds", "30"}, "--pupil"},
        {{"add-run", "--pupil", "99999999999999999999", "--level", "4", "--seconds", "3"},
         "--pupil"},
        {{"add-run", "--pupil", "7", "--level", "36", "--seconds", "30"}, "--level"},
        {{"add-run", "--pupil", "7", "--level", "0", "--seconds", "30"}, "--level"},
        {{"add-run", "--pupil", "7", "--level", "4", "--seconds", "-1"}, "--seconds"},
        {{"add-run", "--pupil", "7", "--level", "4", "--seconds", "100000"}, "--seconds"},
        {{"add-run", "--level", "4", "--seconds", "30"}, "--pupil"},             // missing
        {{"add-run", "--level", "4", "--seconds", "30", "--pupil"}, "--pupil"},  // no value
        {{"add-run", "--pupil", "2", "--pupil", "3", "--level", "4", "--seconds", "3"},
         "--pupil"},  // twice
        {{"add-run", "--pupil", "2", "--level", "4", "--seconds", "3", "--frob"}, "--frob"},
        {{"add-run", "--pupil", "2", "--level", "4", "--seconds", "3", "extra"}, "extra"},
        {{"check", "--pupil", "2"}, "--pupil"},  // an option of another command
        {{"standing", "--pupil", "2", "--now", "2024-13-01 00:00:00"}, "--now"},
        {{"export", "--encoding", "latin1"}, "--encoding"},
        {{"rewrite", "--record", "0", "--seconds", "4"}, "--record"},
        {{"rewrite", "--record", "1"}, "--seconds"},  // nothing to change
        {{"delete"}, "--record"},
        {{"frobnicate"}, "frobnicate"},
        {{}, "コマンド"},
    };
    for (const auto& c : cases) {
        const ToolResult r = Run(c.args);
        const std::string label = c.args.empty() ? "(none)" : c.args.back();
        EXPECT_EQ(r.status, 2) << label << ": " << r.err;
        ExpectOneErrorLine(r);
        EXPECT_NE(r.err.find(c.named), std::string::npos) << label << ": " << r.err;
        EXPECT_EQ(r.out, "") << label;
    }
    EXPECT_EQ(RecordBytes(), before);
}

// Problems with the data exit 1; --app-folder after the command is the one used.
TEST_F(AdminTool, DataProblemsExitOne) {
    Records({RunOn(today_, 2, 2, 30)});
    const std::string elsewhere = PathText(dir_ / "nowhere");
    const struct {
        std::vector<std::string> args;
        std::string named;
    } cases[] = {
        {{"delete", "--record", "2"}, "記録"},
        {{"rewrite", "--record", "5", "--pupil", "3"}, "記録"},
        {{"check", "--app-folder", elsewhere}, "nowhere"},
        {{"list", "--app-folder", elsewhere}, "nowhere"},
    };
    for (const auto& c : cases) {
        const ToolResult r = Run(c.args);
        EXPECT_EQ(r.status, 1) << c.args.front() << ": " << r.err;
        ExpectOneErrorLine(r);
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
    }
}

// standing's JSON read back: the pupil, all 35 levels in order, each with its keys in the order
// scripts rely on, and the values for a pupil with runs inside and outside the windows.
TEST_F(AdminTool, StandingJsonReadsBackFieldByField) {
    Records({RunOn(today_, 2, 2, 30), RunOn(DaysBefore(today_, 5), 2, 2, 60),
             RunOn(DaysBefore(today_, 20), 2, 2, 99999), RunOn(today_, 3, 2, 25),
             RunOn(DaysBefore(today_, 1), 2, 35, 40)});
    const ToolResult r = Run({"standing", "--pupil", "2", "--now", "2024-06-10 12:00:00"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto json = nlohmann::ordered_json::parse(r.out);
    EXPECT_EQ(json.at("pupil"), 2);
    const auto& levels = json.at("levels");
    ASSERT_EQ(levels.size(), 35u);
    const std::vector<std::string> keys{
        "level",           "run_count",    "pass_window_run_count", "ban_window_run_count",
        "today_run_count", "total_points", "pass_window_points",    "ban_window_points",
        "today_points",    "best_time",    "level_best_time"};
    for (std::size_t i = 0; i < levels.size(); ++i) {
        std::vector<std::string> got;
        for (const auto& item : levels[i].items()) {
            got.push_back(item.key());
        }
        EXPECT_EQ(got, keys) << "level " << i + 1;
        EXPECT_EQ(levels[i].at("level"), i + 1);
    }
    const struct {
        int level;
        const char* key;
        long long value;
    } fields[] = {
        {2, "run_count", 2},        {2, "pass_window_run_count", 2}, {2, "ban_window_run_count", 1},
        {2, "today_run_count", 1},  {2, "total_points", 16},         {2, "today_points", 11},
        {2, "best_time", 30},       {2, "level_best_time", 25},      {35, "run_count", 1},
        {35, "today_run_count", 0}, {35, "best_time", 40},           {1, "run_count", 0},
        {1, "best_time", 99999},    {1, "level_best_time", 99999},
    };
    for (const auto& f : fields) {
        EXPECT_EQ(levels[static_cast<std::size_t>(f.level - 1)].at(f.key), f.value)
            << "level " << f.level << " " << f.key;
    }
}

// check --json read back: the counts and each listed record's number and problem, the exit
// status the same as the text form's.
TEST_F(AdminTool, CheckJsonListsEachRecordWithItsProblem) {
    const struct {
        std::vector<ScoreRecord> records;
        std::string tail;
        int status;
        std::vector<std::pair<int, std::string>> problems;
    } cases[] = {
        {{RunOn(today_, 2, 2, 30)}, "", 0, {}},
        {{RunOn(today_, 2, 2, 30)}, "ab", 1, {}},
        {{RunOn(today_, 2, 36, 30), RunOn(today_, 2, 2, 30), RunOn(today_, 5001, 2, 30)},
         "",
         1,
         {{1, "レベル36が範囲（1〜35）の外です"}, {3, "番号5001が範囲（1〜5000）の外です"}}},
        // the last good level and pupil beside the first bad ones: nothing to list
        {{RunOn(today_, 2, 35, 30), RunOn(today_, 5000, 2, 30), RunOn(today_, 1, 1, 0)},
         "",
         0,
         {}},
    };
    for (const auto& c : cases) {
        Records(c.records, c.tail);
        const ToolResult r = Run({"check", "--json"});
        EXPECT_EQ(r.status, c.status) << r.err;
        const auto json = nlohmann::json::parse(r.out);
        EXPECT_EQ(json.at("file"), PathText(recordFile_));
        EXPECT_EQ(json.at("whole_records"), c.records.size());
        EXPECT_EQ(json.at("trailing_bytes"), c.tail.size());
        EXPECT_EQ(json.at("uncounted_before"), 0);
        ASSERT_EQ(json.at("problems").size(), c.problems.size()) << r.out;
        for (std::size_t i = 0; i < c.problems.size(); ++i) {
            EXPECT_EQ(json["problems"][i].at("record"), c.problems[i].first);
            EXPECT_EQ(json["problems"][i].at("problem"), c.problems[i].second);
        }
    }
}

// A folder name that is not UTF-8 (copied from an old machine) still gives valid JSON, with
// the bad byte replaced, instead of a failure halfway through the output.
TEST_F(AdminTool, CheckJsonSurvivesAFolderNameThatIsNotUtf8) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps file names in UTF-16: no folder name can fail to be UTF-8";
#endif
    const fs::path odd = dir_ / "\xff";
    fs::copy(KAGAKU_DEMO_DIR, odd, fs::copy_options::recursive);
    fs::create_directories(odd / "kagaku");
    const fs::path file = odd / "学校データ" / "kagaku" / kScoreRecordFileName;
    fs::create_directories(file.parent_path());
    const std::string bytes = testing::RecordFileBytes({RunOn(today_, 2, 2, 30)});
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const ToolResult r = Run({"check", "--json", "--app-folder", PathText(odd / "kagaku")});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_NE(json.at("file").get<std::string>().find("/\xEF\xBF\xBD/"), std::string::npos);
    EXPECT_EQ(json.at("whole_records"), 1);
}

}  // namespace
}  // namespace kagaku
