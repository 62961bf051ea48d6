#pragma once
// "よく間違える問題": which problems the pupils miss most. Every pupil's mistake log is read once,
// the lines of the window (today and the days - 1 days before it, by calendar date) are
// counted per level and problem, and each level's problems are ranked by how many pupils
// missed them, then by how often. Problems with equal counts share a rank (1, 2, 2, 4) and
// stand in category, question and answer order. Beside each problem stands the wrong answer
// typed most often (more recent first among equals; a revealed answer or an empty one is not
// a wrong answer typed).
//
// A problem is the category, question and answer as the log holds them, so a problem whose
// answer was corrected in the problem file counts apart from its old form.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/ole_date.h"
#include "mistakes/mistake_log.h"
#include "roster/name_list.h"
#include "roster/roster_tables.h"

namespace kagaku {

// The windows the teacher chooses from, in days.
inline constexpr std::array<int, 3> kMistakeWindowDays = {7, 30, 365};
inline constexpr int kMaxMistakeWindowDays = 3650;

struct MistakeQuery {
    int days = 30;
    std::optional<int> level;  // one level; every level with mistakes when empty
    std::optional<int> pupil;  // one pupil's log; the class (under gradeFilter) when empty
    std::string gradeFilter = kAllGrades;  // the board's grade box text; not used for one pupil
};

// Whether a line dated `date` lies in the window of `days` days that ends today. Lines dated
// after today (another PC's clock ahead) count, as the board's period lists count such runs.
bool InMistakeWindow(const CivilDate& date, const CivilDate& today, int days);

struct RankedProblem {
    int rank = 0;
    int category = 0;
    std::string question;
    std::string answer;             // answer notation
    int pupils = 0;                 // pupils who missed it
    int times = 0;                  // lines in all
    std::string commonWrongAnswer;  // answer notation; "" when no wrong answer was typed
    int commonWrongCount = 0;
    friend bool operator==(const RankedProblem&, const RankedProblem&) = default;
};

struct LevelMistakes {
    int level = 0;
    std::vector<RankedProblem> problems;  // in rank order
};

// Counts the lines of several pupils' logs. Each pupil's lines are added in one call.
class MistakeTally {
public:
    MistakeTally(const CivilDate& today, int days, std::optional<int> level);
    void Add(int pupil, const std::vector<MistakeEntry>& entries);
    // Every level with a counted line, ascending; the asked level always, empty or not.
    std::vector<LevelMistakes> Rank() const;

private:
    struct WrongAnswer {
        int count = 0;
        long long lastSeen = 0;
    };
    struct Counted {
        int level = 0;
        int category = 0;
        std::string question;
        std::string answer;
        int pupils = 0;
        int times = 0;
        int lastPupil = -1;
        std::unordered_map<std::string, WrongAnswer> wrong;
    };

    long long firstDay_;
    std::optional<int> level_;
    std::unordered_map<std::string, Counted> counted_;
    std::string key_;
};

struct MistakeRanking {
    std::vector<LevelMistakes> levels;
    int logsRead = 0;
    // Logs that could not be read or held damaged lines: one message each, naming the file.
    std::vector<std::string> problems;
};

// The pupils whose logs a query reads: the one pupil, or every pupil with a log who passes
// the grade filter (grades from the roster tables of the last roster pass, as the board
// decides them).
std::vector<PupilMistakeLog> LogsOfQuery(std::string_view programDataFolder,
                                         const RosterTables& roster, const MistakeQuery& query);

// Reads each log of the query once and ranks. A log that cannot be read is left out and named
// in problems; the ranking of the others still stands.
MistakeRanking BuildMistakeRanking(std::string_view programDataFolder, const RosterTables& roster,
                                   const MistakeQuery& query, const CivilDate& today);

}  // namespace kagaku
