#include <gtest/gtest.h>

#include <string>

#include "drill/timed_drill.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

using testing::FakeRandom;
using Outcome = TimedDrill::Outcome;

ProblemSet Set(std::initializer_list<Problem> problems) {
    return ProblemSet{1, std::vector<Problem>(problems)};
}

// The draw value that picks problem r (1-based) of n.
double Pick(int r, int n) {
    return (static_cast<double>(r) - 0.5) / static_cast<double>(n);
}

void Type(TimedDrill& d, std::string_view keys) {
    for (char c : keys)
        d.OnCharacter(static_cast<char32_t>(c));
}

Outcome Answer(TimedDrill& d, std::string_view keys) {
    Type(d, keys);
    return d.OnCharacter(kEnterChar);
}

TEST(TimedDrillKeys, ChargeKeysAddOneChargeUntilTheNextAcceptedKey) {
    FakeRandom rnd;
    TimedDrill d(Set({{"ナトリウムイオン", "Na\\"}}), rnd);
    ASSERT_TRUE(d.Start());
    Type(d, "Na");
    EXPECT_EQ(d.OnKey(DrillKey::F9), Outcome::AnswerChanged);
    EXPECT_EQ(d.ComposedAnswer(), "Na\\");
    EXPECT_EQ(d.OnKey(DrillKey::F9), Outcome::Ignored) << "a second charge on one species";
    EXPECT_EQ(d.OnChargeButton(1), Outcome::Ignored);
    EXPECT_EQ(d.OnCharacter(kBackspaceChar), Outcome::AnswerChanged);
    EXPECT_EQ(d.ComposedAnswer(), "Na");
    EXPECT_EQ(d.OnKey(DrillKey::F8), Outcome::AnswerChanged) << "Backspace re-enables charges";
    EXPECT_EQ(d.ComposedAnswer(), "Na-");
}

TEST(TimedDrillKeys, EachChargeKeyAndButtonAddsItsCharge) {
    const std::pair<DrillKey, const char*> keys[] = {
        {DrillKey::F9, "\\"}, {DrillKey::F10, "\\2"}, {DrillKey::F8, "-"}, {DrillKey::F7, "-2"}};
    for (const auto& [key, added] : keys) {
        FakeRandom rnd;
        TimedDrill byKey(Set({{"q", "x"}}), rnd);
        TimedDrill byButton(Set({{"q", "x"}}), rnd);
        byKey.Start();
        byButton.Start();
        byKey.OnKey(key);
        byButton.OnChargeButton(*ChargeIndexOfKey(key));
        EXPECT_EQ(byKey.ComposedAnswer(), added);
        EXPECT_EQ(byButton.ComposedAnswer(), added);
    }
}

TEST(TimedDrillKeys, EachChargeButtonsHintNamesTheKeyThatAddsTheSameCharge) {
    const std::pair<const char*, DrillKey> keys[] = {
        {"F7", DrillKey::F7}, {"F8", DrillKey::F8}, {"F9", DrillKey::F9}, {"F10", DrillKey::F10}};
    for (int index = 0; index < kChargeButtons; ++index) {
        for (const auto& [name, key] : keys) {
            if (std::string(kChargeKeyHints[index]) == name) {
                EXPECT_EQ(ChargeIndexOfKey(key), index) << kChargeButtonCaptions[index];
            }
        }
    }
}

TEST(TimedDrillKeys, BackspaceRemovesASizedChargeWhole) {
    FakeRandom rnd;
    TimedDrill d(Set({{"q", "x"}}), rnd);
    d.Start();
    Type(d, "Ca");
    d.OnKey(DrillKey::F7);
    EXPECT_EQ(d.ComposedAnswer(), "Ca-2");
    d.OnCharacter(kBackspaceChar);
    EXPECT_EQ(d.ComposedAnswer(), "Ca");
    // A subscript is an ordinary digit: one Backspace, one character.
    Type(d, "Cl2");
    d.OnCharacter(kBackspaceChar);
    EXPECT_EQ(d.ComposedAnswer(), "CaCl");
    // A charge typed as F9 then a size: removed as a whole too.
    d.OnKey(DrillKey::F9);
    Type(d, "3");
    EXPECT_EQ(d.ComposedAnswer(), "CaCl\\3");
    d.OnCharacter(kBackspaceChar);
    EXPECT_EQ(d.ComposedAnswer(), "CaCl");
    Type(d, "\b\b\b\b\b");  // on an empty answer Backspace does nothing
    EXPECT_EQ(d.ComposedAnswer(), "");
}

TEST(TimedDrillKeys, OnlyNotationCharactersAreTaken) {
    // A typed "-" or "\" would bypass the one-charge rule; anything else is not notation.
    FakeRandom rnd;
    TimedDrill d(Set({{"q", "x"}}), rnd);
    d.Start();
    for (char32_t c : {U'-', U'\\', U'*', U'.', U'ａ', U'→', U'\t'})
        EXPECT_EQ(d.OnCharacter(c), Outcome::Ignored);
    Type(d, "aZ09+=()");
    d.OnKey(DrillKey::RightArrow);
    EXPECT_EQ(d.ComposedAnswer(), "aZ09+=()=");
}

TEST(TimedDrillJudge, ExactComparisonOnly) {
    // Case matters; an empty answer is judged like any other; space judges as Enter does.
    struct JudgeCase {
        const char* typed;
        char32_t judgeKey;
        Outcome expected;
    };
    const JudgeCase cases[] = {{"H2O", kEnterChar, Outcome::Correct},
                               {"H2O", kSpaceChar, Outcome::Correct},
                               {"h2o", kEnterChar, Outcome::Wrong},
                               {"", kEnterChar, Outcome::Wrong},
                               {"H2O2", kEnterChar, Outcome::Wrong}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        FakeRandom rnd;
        TimedDrill d(Set({{"水", "H2O"}, {"酸素", "O2"}}), rnd);
        d.Start();
        Type(d, c.typed);
        EXPECT_EQ(d.OnCharacter(c.judgeKey), c.expected);
    }
}

TEST(TimedDrillJudge, CorrectionIgnoresKeysUntilNext) {
    FakeRandom rnd;
    rnd.Push(Pick(1, 2));
    TimedDrill d(Set({{"水", "H2O"}, {"酸素", "O2"}}), rnd);
    d.Start();
    ASSERT_EQ(Answer(d, "HO"), Outcome::Wrong);
    EXPECT_TRUE(d.ShowingCorrection());
    EXPECT_EQ(d.CorrectAnswer(), "H2O");
    EXPECT_EQ(d.OnCharacter(U'H'), Outcome::Ignored);
    EXPECT_EQ(d.OnCharacter(kEnterChar), Outcome::Ignored) << "Enter must not judge again";
    EXPECT_EQ(d.OnKey(DrillKey::F9), Outcome::Ignored);
    EXPECT_EQ(d.OnKey(DrillKey::RightArrow), Outcome::Ignored);
    EXPECT_EQ(d.OnChargeButton(0), Outcome::Ignored);
    EXPECT_EQ(d.ComposedAnswer(), "HO");
    EXPECT_EQ(d.Progress(1), -1);
    rnd.Push(Pick(2, 2));
    d.ContinueAfterCorrection();
    EXPECT_FALSE(d.ShowingCorrection());
    EXPECT_EQ(d.ComposedAnswer(), "");
    EXPECT_EQ(d.CurrentProblem(), 2);
    EXPECT_EQ(d.OnCharacter(U'O'), Outcome::AnswerChanged);
}

TEST(TimedDrillProgress, FloorsAtMinusTwoAndThenNeedsFourCorrectAnswers) {
    FakeRandom rnd;  // one problem: always drawn
    TimedDrill d(Set({{"水", "H2O"}}), rnd);
    d.Start();
    EXPECT_EQ(d.RepeatCaption(), "この問題あと2回出題");
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(Answer(d, "x"), Outcome::Wrong);
        d.ContinueAfterCorrection();
    }
    EXPECT_EQ(d.Progress(1), -2);
    EXPECT_EQ(d.RepeatCaption(), "この問題あと4回出題");
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(Answer(d, "H2O"), Outcome::Correct);
        EXPECT_FALSE(d.AllDone());
    }
    EXPECT_EQ(d.RepeatCaption(), "この問題あと1回出題");
    ASSERT_EQ(Answer(d, "H2O"), Outcome::Correct);
    EXPECT_TRUE(d.AllDone());
    EXPECT_EQ(d.OnCharacter(U'H'), Outcome::Ignored) << "keys after the end of the run";
}

TEST(TimedDrillProgress, RemainingCountsDownOnlyWhenAProblemIsCompleted) {
    FakeRandom rnd;
    rnd.Push(Pick(1, 2));
    TimedDrill d(Set({{"水", "H2O"}, {"酸素", "O2"}}), rnd);
    d.Start();
    EXPECT_EQ(d.RemainingCaption(), "2");
    rnd.Push(Pick(2, 2));
    ASSERT_EQ(Answer(d, "H2O"), Outcome::Correct);
    EXPECT_EQ(d.RemainingCaption(), "2") << "one correct answer does not complete a problem";
    rnd.Push(Pick(1, 2));
    ASSERT_EQ(Answer(d, "O2"), Outcome::Correct);
    EXPECT_EQ(d.RepeatCaption(), "この問題あと1回出題");
    ASSERT_EQ(Answer(d, "H2O"), Outcome::Correct);
    EXPECT_EQ(d.RemainingCaption(), "1");
    EXPECT_EQ(d.CompletedCount(), 1);
    EXPECT_EQ(d.CurrentProblem(), 2) << "a completed problem is never asked again";
}

TEST(TimedDrillDraw, WithTwoLeftTheOtherOneIsAlwaysNext) {
    // Of three problems, 3 gets completed; then 1 and 2 are left and must alternate: a draw
    // of the one just asked, or of the completed one, is refused.
    FakeRandom rnd;
    rnd.Push(Pick(3, 3));
    TimedDrill d(Set({{"a", "A"}, {"b", "B"}, {"c", "C"}}), rnd);
    d.Start();
    rnd.Push(Pick(1, 3));
    ASSERT_EQ(Answer(d, "C"), Outcome::Correct);
    ASSERT_EQ(d.CurrentProblem(), 1);
    Answer(d, "wrong");
    rnd.Push(Pick(3, 3));
    d.ContinueAfterCorrection();
    rnd.Push(Pick(3, 3));
    rnd.Push(Pick(2, 3));
    ASSERT_EQ(Answer(d, "C"), Outcome::Correct);
    ASSERT_EQ(d.Progress(3), 2);
    ASSERT_EQ(d.CurrentProblem(), 2);
    for (int i = 0; i < 3; ++i) {
        rnd.Push(Pick(2, 3));
        rnd.Push(Pick(3, 3));
        rnd.Push(Pick(1, 3));
        Answer(d, "wrong");
        d.ContinueAfterCorrection();
        EXPECT_EQ(d.CurrentProblem(), 1);
        rnd.Push(Pick(1, 3));
        rnd.Push(Pick(2, 3));
        Answer(d, "wrong");
        d.ContinueAfterCorrection();
        EXPECT_EQ(d.CurrentProblem(), 2);
    }
}

TEST(TimedDrillDraw, WithOneLeftItMayComeStraightBack) {
    FakeRandom rnd;
    rnd.Push(Pick(2, 2));
    TimedDrill d(Set({{"a", "A"}, {"b", "B"}}), rnd);
    d.Start();
    rnd.Push(Pick(1, 2));
    ASSERT_EQ(Answer(d, "B"), Outcome::Correct);
    Answer(d, "x");
    rnd.Push(Pick(2, 2));
    d.ContinueAfterCorrection();
    ASSERT_EQ(Answer(d, "B"), Outcome::Correct);  // 2 completed; 1 is the only one left
    ASSERT_EQ(d.CurrentProblem(), 1);
    rnd.Push(Pick(1, 2));
    Answer(d, "x");
    d.ContinueAfterCorrection();
    EXPECT_EQ(d.CurrentProblem(), 1);
    EXPECT_EQ(d.PreviousProblem(), 1);
}

TEST(TimedDrillDraw, TheDrawCoversEveryProblemFromTheBottomToTheTopOfTheRange) {
    // u in [0, 1) maps to 1..n evenly; a value at the very top must not fall off the end.
    const int n = 7;
    for (int r = 1; r <= n; ++r) {
        for (double u : {static_cast<double>(r - 1) / n, (static_cast<double>(r) - 1e-9) / n}) {
            FakeRandom rnd;
            rnd.Push(u);
            TimedDrill d(Set({{"1", "1"},
                              {"2", "2"},
                              {"3", "3"},
                              {"4", "4"},
                              {"5", "5"},
                              {"6", "6"},
                              {"7", "7"}}),
                         rnd);
            d.Start();
            EXPECT_EQ(d.CurrentProblem(), r) << u;
        }
    }
}

TEST(TimedDrillDraw, AStuckRandomSourceCannotHangTheScreen) {
    // FakeRandom returns 0 for ever once its script is used up: problem 1 every time. After
    // problem 1 was asked, a draw that refuses it must still end.
    FakeRandom rnd;
    TimedDrill d(Set({{"a", "A"}, {"b", "B"}}), rnd);
    d.Start();
    ASSERT_EQ(d.CurrentProblem(), 1);
    Answer(d, "x");
    d.ContinueAfterCorrection();
    EXPECT_EQ(d.CurrentProblem(), 2);
}

}  // namespace
}  // namespace kagaku
