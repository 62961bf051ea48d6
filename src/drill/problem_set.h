#pragma once
// The problem set of a level: the rows of 化学式.csv (beside the program, in the program
// folder) whose category is the level's, in file order. Each row is three fields: category,
// question, answer. The answer is kept exactly as read; judging compares it exactly.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kagaku {

inline constexpr const char* kProblemFileName = "化学式.csv";
// The progress table of a run has room for 100 problems.
inline constexpr int kMaxProblemsPerCategory = 100;

struct Problem {
    std::string question;
    std::string answer;
};

struct ProblemSet {
    int category = 0;
    std::vector<Problem> problems;  // index 0 is the first problem of the file
    int Count() const { return static_cast<int>(problems.size()); }
};

// Reads the rows of the given category from the problem file. Throws DataFileError naming the
// file when it is missing, undecodable or ends in the middle of a row, and - so that the level
// is refused before anything starts or is recorded - when the category has no rows or more
// than 100.
ProblemSet LoadProblemSet(const std::filesystem::path& problemFile, int category);

// The problem set of a level: 化学式.csv in the program folder, the level's category.
ProblemSet LoadProblemSetForLevel(std::string_view appFolder, int level);

}  // namespace kagaku
