// kagaku-admin mistakes run as a real process on a copy of the demo data tree.
#include <gtest/gtest.h>

#include <filesystem>

#include <nlohmann/json.hpp>

#include "common/clock.h"
#include "common/cp932.h"
#include "common/files.h"
#include "mistakes/mistake_log.h"
#include "records/child_process.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;

struct ToolResult {
    int status;
    std::string out;
    std::string err;
};

class MistakesTool : public ::testing::Test {
protected:
    MistakesTool() {
        fs::copy(KAGAKU_DEMO_DIR, dir_.path(), fs::copy_options::recursive);
        dataFolder_ = PathText(dir_ / "学校データ" / "kagaku") + "/";
    }

    ToolResult Run(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {KAGAKU_ADMIN_TOOL, "mistakes", "--app-folder", PathText(dir_ / "kagaku")});
        const fs::path errFile = dir_ / "stderr.txt";
        testing::ChildProcess tool(args, PathText(errFile));
        int status = 0;
        ToolResult r;
        r.out = tool.Finish(&status);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.err = testing::ReadBytes(errFile);
        return r;
    }

    // A line dated daysAgo days before the tool's today (a window of 30 days or more leaves
    // room for the date turning between writing and reading).
    void Miss(int pupil, int level, const std::string& question, const std::string& answer,
              const std::string& typed, int daysAgo = 0) {
        const CivilDate date = DateFromSerial(DaySerial(SystemClock().TodayDate()) - daysAgo);
        AppendMistake(
            MistakeLogPath(dataFolder_, pupil),
            MistakeEntry{date, {10, 0, 0}, level, (level + 1) / 2, question, answer, typed});
    }

    testing::TempDir dir_;
    std::string dataFolder_;
};

constexpr const char* kHeader = "レベル,順位,分類,問題,答え,人数,回数,多い間違い,その回数\r\n";

// The demo roster in school year 2026: pupils 8 and 9 are in 小６, pupil 10 in 中１.
TEST_F(MistakesTool, ListsTheRankingAsCsvForTheClassAGradeAndAWindow) {
    Miss(8, 2, "硫酸", "H2SO4", "HSO4");
    Miss(8, 2, "硫酸", "H2SO4", "HSO4");
    Miss(9, 2, "硫酸", "H2SO4", "H2SO3");
    Miss(9, 2, "鉄, 銅の記号", "Fe,Cu", "");
    Miss(10, 2, "硫酸", "H2SO4", "HSO4");
    Miss(10, 4, "硫酸イオン", "SO4-2", "SO4-", 40);

    ToolResult all = Run({});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out, std::string(kHeader) +
                           "2,1,1,硫酸,H2SO4,3,4,HSO4,3\r\n"
                           "2,2,1,\"鉄, 銅の記号\",\"Fe,Cu\",1,1,,0\r\n");
    EXPECT_EQ(all.err, "");

    ToolResult grade = Run({"--grade", "小６", "--level", "2"});
    ASSERT_EQ(grade.status, 0) << grade.err;
    EXPECT_EQ(grade.out, std::string(kHeader) +
                             "2,1,1,硫酸,H2SO4,2,3,HSO4,2\r\n"
                             "2,2,1,\"鉄, 銅の記号\",\"Fe,Cu\",1,1,,0\r\n");

    ToolResult year = Run({"--days", "365", "--level", "4"});
    ASSERT_EQ(year.status, 0) << year.err;
    EXPECT_EQ(year.out, std::string(kHeader) + "4,1,2,硫酸イオン,SO4-2,1,1,SO4-,1\r\n");

    ToolResult sjis = Run({"--encoding", "cp932"});
    ASSERT_EQ(sjis.status, 0);
    EXPECT_EQ(sjis.out, Utf8ToCp932(all.out, "out"));
}

TEST_F(MistakesTool, PrintsOnePupilAsJson) {
    Miss(10, 2, "硫酸", "H2SO4", "HSO4");
    Miss(8, 2, "水", "H2O", "HO");
    ToolResult r = Run({"--pupil", "10", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["days"], 30);
    EXPECT_EQ(json["pupil"], 10);
    EXPECT_TRUE(json["grade"].is_null());
    EXPECT_EQ(json["logs_read"], 1);
    ASSERT_EQ(json["levels"].size(), 1u);
    EXPECT_EQ(json["levels"][0]["level"], 2);
    EXPECT_EQ(json["levels"][0]["problems"][0],
              nlohmann::json::parse(R"({"rank":1,"category":1,"question":"硫酸","answer":"H2SO4",
                                        "pupils":1,"times":1,"common_wrong_answer":"HSO4",
                                        "common_wrong_count":1})"));
}

// Damaged lines are named on standard error and make the exit status 1; what could be read is
// still listed.
TEST_F(MistakesTool, NamesDamagedLinesAndStillListsTheRest) {
    Miss(8, 2, "水", "H2O", "HO");
    dir_.WriteBytes("学校データ/kagaku/間違い9.csv", "broken line\r\n");
    Miss(9, 2, "水", "H2O", "HO");
    ToolResult r = Run({});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, std::string(kHeader) + "2,1,1,水,H2O,2,2,HO,2\r\n");
    EXPECT_NE(r.err.find("間違い9.csv"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("1行が壊れている"), std::string::npos) << r.err;
}

TEST_F(MistakesTool, RefusesOptionsOutsideTheirRange) {
    const std::vector<std::vector<std::string>> refused = {
        {"--pupil", "10", "--grade", "中１"},  // a pupil has no grade filter
        {"--grade", "中1"},                    // the board's texts use full-width digits
        {"--days", "0"},
        {"--days", "3651"},
        {"--level", "36"},
    };
    for (const auto& args : refused) {
        SCOPED_TRACE(args.at(0) + " " + args.at(1));
        ToolResult r = Run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("kagaku-admin: ", 0), 0u) << r.err;
    }
}

}  // namespace
}  // namespace kagaku
