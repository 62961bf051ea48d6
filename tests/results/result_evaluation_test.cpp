#include <gtest/gtest.h>

#include <memory>

#include "results/result_evaluation.h"
#include "support/state_parts.h"

namespace kagaku {
namespace {

using Sounds = std::vector<ResultSound>;

// A cleared-or-not run on level 4 with target 30 s and minimum 60 s.
RunResultInputs RunOf(std::int32_t seconds) {
    RunResultInputs in;
    in.level = 4;
    in.resultTime = seconds;
    in.targetTime = 30;
    in.minimumTime = 60;
    in.clearPoints = 50;
    in.clearCount = 3;
    in.pointMultiplier = 1.0;
    in.programName = "化学式";
    in.levelName = "化学式";
    in.pupilName = " 山田太郎 ";
    return in;
}

TEST(ResultPoints, AtTheBoundariesOfEachBand) {
    // Off-by-one at T, 2T or 10T, or cubing the wrong share, changes a pupil's points.
    const std::pair<std::int32_t, std::int64_t> cases[] = {
        {0, 55}, {15, 11}, {29, 5},  {30, 5},   {31, 4},    {59, 4},
        {60, 1}, {299, 1}, {300, 0}, {5999, 0}, {99998, 0}, {99999, 0}};
    for (const auto& [g, points] : cases)
        EXPECT_EQ(ResultBasePoints(g, 30), points) << g;
    EXPECT_EQ(ResultBasePoints(0, 0), 0) << "a level without a target must not divide by zero";
}

TEST(ResultPoints, LineShowsBaseMultiplierAndEarnedPoints) {
    struct LineCase {
        double multiplier;
        std::int32_t seconds;
        std::int64_t earned;
        const char* line;
    };
    const LineCase cases[] = {
        {1.5, 15, 16, "獲得ポイント：11点×1.5→16点"},
        {2.0, 30, 10, "獲得ポイント：5点×2→10点"},
        {0.5, 31, 2, "獲得ポイント：4点×0.5→2点"},
        {0.7, 16, 7, "獲得ポイント：10点×0.7→7点"},  // 0.7 x 10 is 7, not 6
    };
    for (const auto& c : cases) {
        RunResultInputs in = RunOf(c.seconds);
        in.pointMultiplier = c.multiplier;
        const RunResult r = EvaluateRun(in);
        EXPECT_EQ(r.earnedPoints, c.earned) << c.line;
        EXPECT_EQ(r.pointsLine, c.line);
    }
}

TEST(ResultMessages, TimedOutRunHasNoRecordNoPointsAndNoSound) {
    RunResultInputs in = RunOf(99999);
    in.timedOut = true;
    in.newPersonalBest = true;  // cannot happen, but must not cheer a timed-out run
    const RunResult r = EvaluateRun(in);
    EXPECT_EQ(r.timeLine, "記録なし");
    EXPECT_EQ(r.message, "時間切れ");
    EXPECT_EQ(r.earnedPoints, 0);
    EXPECT_EQ(r.pointsLine, "獲得ポイント：0点×1→0点");
    EXPECT_TRUE(r.sounds.empty());
}

TEST(ResultMessages, OnlyTheHighestCongratulationIsGiven) {
    struct MessageCase {
        bool allTime, personal;
        std::int32_t seconds;
        std::optional<std::string> message;
        Sounds sounds;
    };
    const MessageCase cases[] = {
        {true, true, 20, "！！！最高新記録！！！", {ResultSound::AllTimeBest}},
        {false, true, 20, "新記録おめでとう", {ResultSound::PersonalBest}},
        {false, false, 60, std::nullopt, {ResultSound::Slow}},  // within the minimum standard
        {false, false, 61, std::nullopt, {}},                   // slower: nothing at all
    };
    for (const auto& c : cases) {
        RunResultInputs in = RunOf(c.seconds);
        in.newAllTimeBest = c.allTime;
        in.newPersonalBest = c.personal;
        const RunResult r = EvaluateRun(in);
        EXPECT_EQ(r.message, c.message) << c.seconds;
        EXPECT_EQ(r.sounds, c.sounds) << c.seconds;
        EXPECT_EQ(r.timeLine, "今の成績：" + std::to_string(c.seconds) + "秒");
    }
}

TEST(ResultGoal, PictureOnEveryClearOfTheGoalSoundOnlyTheFirstTime) {
    RunResultInputs in = RunOf(20);
    in.isGoalLevel = true;
    in.passWindowPoints = 50;
    in.passWindowRunCount = 3;
    in.newPersonalBest = true;
    RunResult first = EvaluateRun(in);
    EXPECT_TRUE(first.levelCleared);
    EXPECT_TRUE(first.showGoalPicture);
    EXPECT_EQ(first.sounds, (Sounds{ResultSound::PersonalBest, ResultSound::Goal}));
    in.goalClearedBefore = true;
    RunResult later = EvaluateRun(in);
    EXPECT_TRUE(later.showGoalPicture);
    EXPECT_EQ(later.sounds, (Sounds{ResultSound::PersonalBest}));
    // A ClearCount of 9999 somewhere hides the picture, but the first clear still sounds.
    in.goalClearedBefore = false;
    in.goalPictureSuppressed = true;
    RunResult suppressed = EvaluateRun(in);
    EXPECT_FALSE(suppressed.showGoalPicture);
    EXPECT_EQ(suppressed.sounds.back(), ResultSound::Goal);
    // One point short of the clear: no clear, no picture, no goal sound.
    in.passWindowPoints = 49;
    RunResult shortOf = EvaluateRun(in);
    EXPECT_FALSE(shortOf.levelCleared);
    EXPECT_FALSE(shortOf.showGoalPicture);
    EXPECT_EQ(shortOf.sounds, (Sounds{ResultSound::PersonalBest}));
}

struct OfferCase {
    const char* name;
    double banCount, banPoints;
    std::int32_t banRuns;
    std::int64_t banWindowPoints;
    bool cleared, goalLevel, goalCleared;
    bool offerAgain;
    std::optional<std::string> caption;
};

TEST(ResultOffer, OverPractisedClearedLevelSendsThePupilOnUntilTheGoalIsCleared) {
    const OfferCase cases[] = {
        {"five runs, cleared, before the goal", 5, 0, 5, 0, true, false, false, false,
         "次のレベルへ進みましょう"},
        {"four runs is not over", 5, 0, 4, 0, true, false, false, true, std::nullopt},
        {"after the goal is cleared", 5, 0, 5, 0, true, false, true, true, std::nullopt},
        {"the goal level itself", 5, 0, 9, 0, true, true, false, true, ""},
        {"level not yet cleared", 5, 0, 9, 0, false, false, false, true, std::nullopt},
        {"limits switched off", 0, 0, 99, 9999, true, false, false, true, std::nullopt},
        {"points limit", 0, 100, 1, 100, true, false, false, false, "次のレベルへ進みましょう"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RunResultInputs in = RunOf(20);
        in.banCount = c.banCount;
        in.banPoints = c.banPoints;
        in.banWindowRunCount = c.banRuns;
        in.banWindowPoints = c.banWindowPoints;
        in.isGoalLevel = c.goalLevel;
        in.goalCleared = c.goalCleared;
        if (c.cleared) {
            in.passWindowPoints = 50;
            in.passWindowRunCount = 3;
        }
        const RunResult r = EvaluateRun(in);
        const ResultOffer offer = OfferAfterTimer(in, r);
        EXPECT_EQ(offer.offerAgain, c.offerAgain);
        EXPECT_EQ(offer.clearLabelCaption, c.caption);
        // "このレベルクリア" stays up unless the goal level's prompt was cleared away.
        const bool captionCleared = c.caption.has_value() && c.caption->empty();
        EXPECT_EQ(offer.clearLabelVisible, c.cleared && !captionCleared);
    }
}

TEST(ResultInputs, ReadsThisPupilAndLevelFromTheProgramState) {
    // Mixing up level and pupil, or summing the wrong levels, shows another pupil's standing.
    auto state = std::make_unique<StateParts>();
    state->run.CurrentLevel = 6;
    state->signIn.PupilNumber = 42;
    state->run.ResultTime = 25;
    state->setup.GoalLevel = Variant(6);
    state->board.GoalCleared = Variant(1);
    state->signIn.PupilName = "  花子 ";
    state->setup.LevelNames[6] = "化学反応";
    state->setup.Settings.TargetTime[6] = 30;
    state->setup.Settings.ClearCount[6] = 3;
    state->setup.Settings.ClearCount[20] = 9999;
    state->setup.Settings.BanCount[6] = Variant(5);
    auto& a = state->standing;
    a.TodayRunCount.at(6, 42) = 2;
    a.TodayRunCount.at(2, 42) = 3;
    a.TodayRunCount.at(35, 42) = 1;
    a.TodayRunCount.at(6, 41) = 7;
    a.PassWindowPoints.at(6, 42) = 44;
    a.BanWindowRunCount.at(6, 42) = 4;
    const RunResultInputs in = ResultInputsFrom(state->setup, state->signIn, state->run, state->standing,
                                                  state->board.GoalCleared);
    EXPECT_TRUE(in.isGoalLevel);
    EXPECT_TRUE(in.goalCleared);
    EXPECT_TRUE(in.goalPictureSuppressed);
    EXPECT_EQ(in.targetTime, 30);
    EXPECT_EQ(in.banCount, 5.0);
    EXPECT_EQ(in.passWindowPoints, 44);
    EXPECT_EQ(in.banWindowRunCount, 4);
    const RunResult r = EvaluateRun(in);
    EXPECT_EQ(r.levelRunsLine, " (このレベル　2回目)");
    EXPECT_EQ(r.dayRunsLine, "（6回目)");
    EXPECT_EQ(r.pupilLine, "花子");
    EXPECT_EQ(r.levelLine, "化学反応");
}

}  // namespace
}  // namespace kagaku
