// Checks the shipped problem bank as a chemistry teacher would: every answer in valid notation
// with real element symbols, every equation balanced in atoms and charge, each category of the
// kind its level asks for, no question twice in a category, and the file itself in code page
// 932 with CR LF line ends so that the program reads it.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/field_list.h"
#include "common/files.h"
#include "common/text_ops.h"
#include "drill/answer_notation.h"
#include "drill/problem_set.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

const std::filesystem::path kBank =
    std::filesystem::path(KAGAKU_SOURCE_DIR) / "demo" / "tree" / "kagaku" / u8"化学式.csv";

struct Row {
    int category;
    std::string question;
    std::string answer;
};

std::vector<Row> ReadBank() {
    FieldReader reader = FieldReader::FromFile(kBank);
    std::vector<Row> rows;
    while (!reader.AtEnd()) {
        auto f = reader.Next(3);
        rows.push_back(Row{static_cast<int>(text::Val(f[0])), f[1], f[2]});
    }
    return rows;
}

TEST(ProblemBank, FileIsCp932WithCrLfLineEnds) {
    // A UTF-8 or LF-only file would show garbage or run rows together on the pupils' PCs.
    const std::string bytes = ReadWholeFile(kBank);
    ASSERT_FALSE(bytes.empty());
    EXPECT_NE(bytes.rfind("\xEF\xBB\xBF", 0), 0u) << "no byte-order mark";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
        }
    }
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_NO_THROW(ReadCp932File(kBank));
}

TEST(ProblemBank, EachCategoryHasEnoughRowsAndNoMoreThanTheProgressTableHolds) {
    const std::map<int, int> minimum = {{1, 40}, {2, 40}, {3, 25}, {4, 25},
                                        {5, 20}, {6, 20}, {7, 10}};
    std::map<int, int> counts;
    for (const Row& r : ReadBank())
        ++counts[r.category];
    for (const auto& [category, least] : minimum) {
        EXPECT_GE(counts[category], least) << "category " << category;
        EXPECT_LE(counts[category], kMaxProblemsPerCategory) << "category " << category;
    }
    EXPECT_EQ(counts.size(), minimum.size()) << "a row with a category outside 1 to 7";
}

TEST(ProblemBank, NoQuestionTwiceInACategory) {
    std::set<std::pair<int, std::string>> seen;
    for (const Row& r : ReadBank()) {
        EXPECT_FALSE(r.question.empty());
        EXPECT_TRUE(seen.insert({r.category, r.question}).second)
            << "category " << r.category << ": " << r.question;
    }
}

// Only what the keyboard and the four charge keys can produce: letters, digits, + = ( ),
// and a charge sign "\" or "-" (followed by any digit the pupil types after the charge key).
bool Typeable(const std::string& answer) {
    for (char c : answer) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '+' || c == '=' || c == '(' || c == ')' ||
                        c == '\\' || c == '-';
        if (!ok)
            return false;
    }
    return true;
}

bool AllNeutral(const std::vector<NotationSpecies>& side) {
    for (const auto& s : side)
        if (s.charge != 0 || s.electron)
            return false;
    return true;
}

TEST(ProblemBank, EveryAnswerIsSoundChemistryOfItsCategorysKind) {
    for (const Row& r : ReadBank()) {
        SCOPED_TRACE("category " + std::to_string(r.category) + ": " + r.question + " -> " +
                     r.answer);
        ASSERT_TRUE(Typeable(r.answer));
        const NotationResult n = ParseAnswerNotation(r.answer);
        ASSERT_TRUE(n.ok) << n.problem;
        const auto& p = n.parsed;
        if (p.IsEquation()) {
            std::string problem;
            EXPECT_TRUE(IsBalancedEquation(p, &problem)) << problem;
        }
        const bool single = !p.IsEquation() && p.sides[0].size() == 1;
        const NotationSpecies* s = single ? &p.sides[0][0] : nullptr;
        switch (r.category) {
            case 1:  // element name -> its symbol
                ASSERT_TRUE(single);
                EXPECT_TRUE(IsElementSymbol(r.answer));
                break;
            case 2:  // substance -> formula: one neutral species, no coefficient
                ASSERT_TRUE(single);
                EXPECT_EQ(s->charge, 0);
                EXPECT_EQ(s->coefficient, 1);
                break;
            case 3:  // reaction -> balanced equation of neutral substances
                ASSERT_TRUE(p.IsEquation());
                EXPECT_TRUE(AllNeutral(p.sides[0]) && AllNeutral(p.sides[1]));
                break;
            case 4:  // ion name -> ion with its charge
                ASSERT_TRUE(single);
                EXPECT_NE(s->charge, 0);
                EXPECT_EQ(s->coefficient, 1);
                break;
            case 5:  // ionization: a neutral compound on the left, ions on the right
                ASSERT_TRUE(p.IsEquation());
                EXPECT_TRUE(p.sides[0].size() == 1 && AllNeutral(p.sides[0]));
                for (const auto& ion : p.sides[1]) {
                    EXPECT_NE(ion.charge, 0) << ion.text;
                }
                break;
            case 6:  // a compound from its ions, or an ion equation with ions in it
                if (p.IsEquation()) {
                    EXPECT_FALSE(AllNeutral(p.sides[0]) && AllNeutral(p.sides[1]));
                } else {
                    EXPECT_TRUE(single && s->charge == 0 && s->coefficient == 1);
                }
                break;
            default:  // the mixed set: anything above, already checked
                break;
        }
    }
}

TEST(ProblemBank, EveryLevelOfTheCatalogueLoadsItsProblemSet) {
    // Levels 1 to 13 use categories 1 to 7; none may be refused.
    for (int level = 1; level <= 13; ++level) {
        const ProblemSet set = LoadProblemSet(kBank, (level + 1) / 2);
        EXPECT_GT(set.Count(), 0) << "level " << level;
    }
}

}  // namespace
}  // namespace kagaku
