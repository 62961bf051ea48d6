// kagaku-admin mistakes: the ranking of "よく間違える問題" the teacher's view shows, from the
// pupils' mistake logs, as CSV (or JSON) on standard output.
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include <nlohmann/json.hpp>

#include "board/grade_marks.h"
#include "common/clock.h"
#include "common/text_ops.h"
#include "mistakes/mistake_ranking.h"
#include "roster/roster_file.h"
#include "roster/school_grade.h"
#include "tools/admin/admin_commands.h"

namespace kagaku::admin {

namespace {

struct MistakeOptions {
    std::int64_t pupil = 0;
    std::int64_t level = 0;
    std::int64_t days = 30;
    std::string grade = kAllGrades;
    bool json = false;
    std::string encoding = "utf-8";
};

bool IsGradeChoice(const std::string& value) {
    if (value == "家族")
        return true;
    for (const std::string& choice : BoardGradeChoices()) {
        if (choice == value)
            return true;
    }
    return false;
}

std::string GradeChoicesText() {
    std::string all;
    for (const std::string& choice : BoardGradeChoices())
        all += (all.empty() ? "" : "、") + choice;
    return all;
}

// The roster's grades for the grade filter; no roster leaves every grade unknown, which only
// 全学年 passes.
RosterTables GradeTables(const ProgramSetup& setup, const CivilDate& today) {
    RosterTables tables;
    tables.SchoolYear = SchoolYearOf(today, setup.SchoolYearStartMonth);
    const std::filesystem::path file = RosterFilePath(setup.DataRoot);
    std::error_code ec;
    if (std::filesystem::exists(file, ec))
        RunRosterPass(file, setup.RosterHideOption, tables);
    return tables;
}

std::string CsvOf(const MistakeRanking& ranking) {
    std::string out = "レベル,順位,分類,問題,答え,人数,回数,多い間違い,その回数\r\n";
    for (const LevelMistakes& level : ranking.levels) {
        for (const RankedProblem& p : level.problems) {
            out += std::to_string(level.level) + "," + std::to_string(p.rank) + "," +
                   std::to_string(p.category) + "," + CsvField(p.question) + "," +
                   CsvField(p.answer) + "," + std::to_string(p.pupils) + "," +
                   std::to_string(p.times) + "," + CsvField(p.commonWrongAnswer) + "," +
                   std::to_string(p.commonWrongCount) + "\r\n";
        }
    }
    return out;
}

std::string JsonOf(const MistakeRanking& ranking, const MistakeQuery& query,
                   const CivilDate& today) {
    nlohmann::ordered_json json;
    json["today"] = FormatIsoDate(today);
    json["days"] = query.days;
    json["pupil"] = query.pupil ? nlohmann::ordered_json(*query.pupil) : nlohmann::ordered_json();
    json["grade"] =
        query.pupil ? nlohmann::ordered_json() : nlohmann::ordered_json(query.gradeFilter);
    json["logs_read"] = ranking.logsRead;
    json["levels"] = nlohmann::ordered_json::array();
    for (const LevelMistakes& level : ranking.levels) {
        nlohmann::ordered_json problems = nlohmann::ordered_json::array();
        for (const RankedProblem& p : level.problems) {
            problems.push_back({{"rank", p.rank},
                                {"category", p.category},
                                {"question", p.question},
                                {"answer", p.answer},
                                {"pupils", p.pupils},
                                {"times", p.times},
                                {"common_wrong_answer", p.commonWrongAnswer},
                                {"common_wrong_count", p.commonWrongCount}});
        }
        json["levels"].push_back({{"level", level.level}, {"problems", std::move(problems)}});
    }
    json["problems"] = ranking.problems;
    return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace

CommandAction DeclareMistakes(CLI::App& command) {
    auto v = std::make_shared<MistakeOptions>();
    CLI::Option* pupil = AddPupilOption(command, v->pupil, "この生徒の間違いだけを数えます");
    AddLevelOption(command, v->level,
                   "このレベルだけを表示します（既定: 間違いのあるすべてのレベル）");
    AddIntegerOption(command, "--days", v->days, 1, kMaxMistakeWindowDays,
                     "今日までの何日間を数えるか（既定: 30）");
    command
        .add_option("--grade", v->grade,
                    "学年（成績表の学年と同じ: " + GradeChoicesText() + "。既定: 全学年）")
        ->type_name("学年")
        ->check(CLI::Validator(
            [](std::string& value) -> std::string {
                return IsGradeChoice(value)
                           ? ""
                           : "学年は " + GradeChoicesText() + " のどれかです: " + value;
            },
            ""))
        ->excludes(pupil);
    command.add_flag("--json", v->json,
                     "JSON で表示します（today, days, pupil, grade, logs_read, levels: [{level, "
                     "problems: [{rank, category, question, answer, pupils, times, "
                     "common_wrong_answer, common_wrong_count}]}], problems）");
    AddEncodingOption(command, v->encoding);
    return [v](const ProgramSetup& setup) {
        SystemClock clock;
        const CivilDate today = clock.TodayDate();
        MistakeQuery query;
        query.days = static_cast<int>(v->days);
        if (v->level != 0)
            query.level = static_cast<int>(v->level);
        if (v->pupil != 0)
            query.pupil = static_cast<int>(v->pupil);
        query.gradeFilter = v->grade;
        const RosterTables roster = query.pupil || query.gradeFilter == kAllGrades
                                        ? RosterTables{}
                                        : GradeTables(setup, today);
        const MistakeRanking ranking =
            BuildMistakeRanking(setup.ProgramDataFolder, roster, query, today);
        const std::string out =
            EncodedOutput(v->json ? JsonOf(ranking, query, today) : CsvOf(ranking), v->encoding);
        std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
        const int status = FinishOutput();
        // A log that could not be read, or damaged lines, are named; what could be read stands.
        for (const std::string& problem : ranking.problems)
            std::cerr << "kagaku-admin: " << text::ReplaceAll(problem, "\n", ": ") << "\n";
        if (status != kExitSuccess)
            return status;
        return ranking.problems.empty() ? kExitSuccess : kExitDataProblem;
    };
}

}  // namespace kagaku::admin
