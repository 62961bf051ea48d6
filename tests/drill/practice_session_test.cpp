#include <gtest/gtest.h>

#include "drill/practice_session.h"

namespace kagaku {
namespace {

using Button = PracticeSession::Button;

ProblemSet Three() {
    return ProblemSet{1, {{"水素", "H"}, {"酸素", "O"}, {"炭素", "C"}}};
}

TEST(PracticeSession, PagesInFileOrderAndShowsTheAnswerOnRequest) {
    PracticeSession p(Three());
    p.Next();  // the start of practice shows problem 1
    EXPECT_EQ(p.PracticeIndex(), 1);
    EXPECT_EQ(p.QuestionCaption(), " 水素");
    EXPECT_EQ(p.ShownAnswer(), "");
    EXPECT_TRUE(p.IsVisible(Button::ShowAnswer));
    EXPECT_FALSE(p.IsVisible(Button::Next));
    EXPECT_FALSE(p.IsVisible(Button::Learnt));
    EXPECT_EQ(p.Focus(), Button::ShowAnswer);
    p.ShowAnswer();
    EXPECT_EQ(p.ShownAnswer(), "H");
    EXPECT_TRUE(p.IsVisible(Button::Next));
    EXPECT_TRUE(p.IsVisible(Button::Learnt));
    EXPECT_FALSE(p.IsVisible(Button::ShowAnswer));
    EXPECT_EQ(p.Focus(), Button::Next);
    p.Next();
    EXPECT_EQ(p.PracticeIndex(), 2);
    EXPECT_EQ(p.ShownAnswer(), "") << "the answer picture is cleared for the next question";
}

TEST(PracticeSession, SkipsLearntProblemsWrappingAroundAndEndsWhenAllAreLearnt) {
    PracticeSession p(Three());
    p.Next();
    EXPECT_EQ(p.RemainingCaption(), "3");
    p.Next();  // 2
    p.ShowAnswer();
    EXPECT_FALSE(p.MarkLearnt());  // moves on to 3
    EXPECT_EQ(p.RemainingCaption(), "2");
    EXPECT_EQ(p.PracticeIndex(), 3);
    p.Next();  // wraps to 1
    EXPECT_EQ(p.PracticeIndex(), 1);
    p.Next();  // 2 is learnt: skipped
    EXPECT_EQ(p.PracticeIndex(), 3);
    p.ShowAnswer();
    EXPECT_FALSE(p.MarkLearnt());
    EXPECT_EQ(p.PracticeIndex(), 1);
    p.ShowAnswer();
    EXPECT_TRUE(p.MarkLearnt()) << "the last unlearnt problem ends practice";
    EXPECT_TRUE(p.Finished());
    EXPECT_EQ(p.RemainingCaption(), "0");
    p.Next();  // nothing left: must not loop for ever
    EXPECT_TRUE(p.Finished());
}

TEST(PracticeSession, LearntIsCountedOncePerProblem) {
    // A double click on 覚えた must not count the same problem twice and end practice early.
    PracticeSession p(ProblemSet{1, {{"a", "A"}, {"b", "B"}}});
    p.Next();
    p.ShowAnswer();
    p.MarkLearnt();
    EXPECT_FALSE(p.MarkLearnt()) << "the button is hidden until the next answer is shown";
    EXPECT_EQ(p.LearntCount(), 1);
}

}  // namespace
}  // namespace kagaku
