#include <gtest/gtest.h>

#include <string>

#include "common/errors.h"
#include "common/files.h"
#include "common/text_ops.h"
#include "drill/problem_set.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

using testing::TempDir;

std::string Rows(int category, int count, const std::string& prefix = "問") {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += std::to_string(category) + "," + prefix + std::to_string(i) + ",H" +
                std::to_string(i + 1) + "\n";
    return text;
}

TEST(ProblemSet, KeepsOnlyTheLevelsCategoryInFileOrderWithoutGaps) {
    // A loader that kept every row, or left holes where other rows were, would ask the wrong
    // questions.
    TempDir dir;
    dir.WriteCp932("化学式.csv",
                   "1,水素,H\n2,水,H2O\n1,酸素,O\n2,アンモニア,NH3\n1,\"塩素, Cl\",Cl\n");
    for (int level : {1, 2}) {
        const ProblemSet set = LoadProblemSetForLevel(PathText(dir.path()) + "/", level);
        ASSERT_EQ(set.Count(), 3) << "level " << level;
        EXPECT_EQ(set.category, 1);
        EXPECT_EQ(set.problems[0].question, "水素");
        EXPECT_EQ(set.problems[1].question, "酸素");
        EXPECT_EQ(set.problems[2].question, "塩素, Cl");
        EXPECT_EQ(set.problems[2].answer, "Cl");
    }
    EXPECT_EQ(LoadProblemSetForLevel(PathText(dir.path()) + "/", 4).problems[1].answer, "NH3");
}

TEST(ProblemSet, AnswerIsKeptExactlyAsWritten) {
    // Folding case would make h2o in the file accept a pupil's h2o; the file's text rules.
    TempDir dir;
    auto file =
        dir.WriteCp932("p.csv", "1,水, h2o \n1,硫酸イオン,SO4-2\n1,ナトリウムイオン,Na\\\n");
    const ProblemSet set = LoadProblemSet(file, 1);
    EXPECT_EQ(set.problems[0].answer, "h2o");
    EXPECT_EQ(set.problems[1].answer, "SO4-2");
    EXPECT_EQ(set.problems[2].answer, "Na\\");
}

TEST(ProblemSet, AHundredRowsLoadAndOtherCategoriesDoNotCount) {
    TempDir dir;
    auto file = dir.WriteCp932("p.csv", Rows(2, 150) + Rows(3, 100) + Rows(4, 150));
    EXPECT_EQ(LoadProblemSet(file, 3).Count(), 100);
}

struct RefusedCase {
    const char* name;
    std::string content;
    int category;
    const char* mustMention;
};

TEST(ProblemSet, RefusesACategoryThatCannotBeRunNamingFileAndCategory) {
    // An empty category used to end the run at once with a bogus time; more than 100 rows
    // overran the progress table. Both must stop the level before it starts.
    const RefusedCase cases[] = {
        {"empty category", Rows(1, 5), 3, "分類3の問題が1問もありません"},
        {"101 rows", Rows(5, 101), 5, "分類5の問題が101問あります"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        auto file = dir.WriteCp932("化学式.csv", c.content);
        try {
            LoadProblemSet(file, c.category);
            FAIL() << "not refused";
        } catch (const DataFileError& e) {
            EXPECT_EQ(e.file(), PathText(file));
            EXPECT_TRUE(text::Contains(e.problem(), c.mustMention)) << e.problem();
        }
    }
}

TEST(ProblemSet, MissingOrShortFileIsAFileErrorNotACrash) {
    TempDir dir;
    EXPECT_THROW(LoadProblemSet(dir / "化学式.csv", 1), DataFileError);
    auto shortFile = dir.WriteCp932("short.csv", "1,水素,H\n1,酸素\n");
    EXPECT_THROW(LoadProblemSet(shortFile, 1), DataFileError);
}

}  // namespace
}  // namespace kagaku
