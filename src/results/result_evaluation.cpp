#include "results/result_evaluation.h"

#include <cmath>

#include "common/text_ops.h"

namespace kagaku {

namespace {

constexpr std::int32_t kNoRecordAbove = 99997;
constexpr std::int32_t kPointlessFrom = 99998;
constexpr std::int32_t kGoalSuppressingClearCount = 9999;

// Int(multiplier x points), taking the multiplier as the decimal it was written as: 0.7 x 10
// is 7, not the 6.999... of binary arithmetic.
std::int64_t TimesMultiplier(double multiplier, std::int64_t points) {
    double product = multiplier * static_cast<double>(points);
    if (std::fabs(product) < 1e6)
        product = std::round(product * 1e9) / 1e9;
    return static_cast<std::int64_t>(std::floor(product));
}

}  // namespace

RunResultInputs ResultInputsFrom(const ProgramSetup& setup, const SignedIn& signIn,
                                 const CurrentRun& run, const ScoreAggregates& standing,
                                 const Variant& goalCleared) {
    RunResultInputs in;
    const int L = run.CurrentLevel;
    const int p = signIn.PupilNumber;
    const auto li = static_cast<std::size_t>(L);
    const auto& a = standing;
    in.level = L;
    in.resultTime = run.ResultTime;
    in.timedOut = run.TimedOut == 1;
    in.newPersonalBest = run.NewPersonalBest == 1;
    in.newAllTimeBest = run.NewAllTimeBest == 1;
    in.goalClearedBefore = run.GoalClearedBefore == 1;
    in.isGoalLevel = setup.GoalLevel.ToDouble() == static_cast<double>(L);
    for (int level = 1; level <= kMaxLevel; ++level)
        if (setup.Settings.ClearCount[static_cast<std::size_t>(level)] == kGoalSuppressingClearCount)
            in.goalPictureSuppressed = true;
    in.targetTime = setup.Settings.TargetTime[li];
    in.minimumTime = setup.Settings.MinimumTime[li];
    in.clearPoints = setup.Settings.ClearPoints[li];
    in.clearCount = setup.Settings.ClearCount[li];
    in.pointMultiplier = setup.Settings.PointMultiplier[li];
    in.banCount = setup.Settings.BanCount[li].ToDouble();
    in.banPoints = setup.Settings.BanPoints[li].ToDouble();
    in.passWindowPoints = a.PassWindowPoints.at(L, p);
    in.passWindowRunCount = a.PassWindowRunCount.at(L, p);
    in.banWindowRunCount = a.BanWindowRunCount.at(L, p);
    in.banWindowPoints = a.BanWindowPoints.at(L, p);
    in.todayRunsThisLevel = static_cast<double>(a.TodayRunCount.at(L, p));
    for (int level = 1; level <= kMaxLevel; ++level)
        in.todayRunsAllLevels += static_cast<double>(a.TodayRunCount.at(level, p));
    in.goalCleared = goalCleared.ToDouble() != 0.0;
    in.programName = setup.ProgramName;
    in.levelName = setup.LevelNames[li];
    in.pupilName = signIn.PupilName;
    return in;
}

std::int64_t ResultBasePoints(std::int32_t g, std::int32_t t) {
    if (g >= kPointlessFrom)
        return 0;
    if (t <= 0)
        return 0;  // no target time: the rule would divide by zero
    if (g <= t) {
        const double share = static_cast<double>(t - g) / static_cast<double>(t);
        return static_cast<std::int64_t>(std::floor(share * share * share * 50.0 + 5.0));
    }
    if (static_cast<std::int64_t>(g) < 2 * static_cast<std::int64_t>(t))
        return 4;
    if (static_cast<std::int64_t>(g) < 10 * static_cast<std::int64_t>(t))
        return 1;
    return 0;
}

RunResult EvaluateRun(const RunResultInputs& in) {
    RunResult r;
    r.levelCleared =
        in.passWindowPoints >= in.clearPoints && in.passWindowRunCount >= in.clearCount;
    const bool goalReached = r.levelCleared && in.isGoalLevel;
    r.showGoalPicture = goalReached && !in.goalPictureSuppressed;

    r.basePoints = ResultBasePoints(in.resultTime, in.targetTime);
    r.earnedPoints = TimesMultiplier(in.pointMultiplier, r.basePoints);
    r.pointsLine = "獲得ポイント：" + std::to_string(r.basePoints) + "点×" +
                   text::NumberText(in.pointMultiplier) + "→" + std::to_string(r.earnedPoints) +
                   "点";
    r.timeLine = in.resultTime > kNoRecordAbove
                     ? "記録なし"
                     : "今の成績：" + std::to_string(in.resultTime) + "秒";
    r.pupilLine = text::Trim(in.pupilName);
    r.programLine = in.programName;
    r.levelLine = in.levelName;
    // A timed-out run is not among the day's runs, so it does not raise these counts.
    r.levelRunsLine = " (このレベル　" + text::NumberText(in.todayRunsThisLevel) + "回目)";
    r.dayRunsLine = "（" + std::to_string(text::RoundHalfEven(in.todayRunsAllLevels)) + "回目)";

    if (in.timedOut) {
        r.message = "時間切れ";
    } else if (in.newAllTimeBest) {
        r.message = "！！！最高新記録！！！";
        r.sounds.push_back(ResultSound::AllTimeBest);
    } else if (in.newPersonalBest) {
        r.message = "新記録おめでとう";
        r.sounds.push_back(ResultSound::PersonalBest);
    } else if (in.resultTime <= in.minimumTime) {
        r.sounds.push_back(ResultSound::Slow);
    }
    if (goalReached && !in.goalClearedBefore)
        r.sounds.push_back(ResultSound::Goal);
    return r;
}

bool IsOverPractised(const RunResultInputs& in) {
    return (in.banCount != 0.0 && static_cast<double>(in.banWindowRunCount) >= in.banCount) ||
           (in.banPoints != 0.0 && static_cast<double>(in.banWindowPoints) >= in.banPoints);
}

ResultOffer OfferAfterTimer(const RunResultInputs& in, const RunResult& result) {
    ResultOffer offer;
    offer.clearLabelVisible = result.levelCleared;
    if (!IsOverPractised(in) || !result.levelCleared) {
        offer.offerAgain = true;
    } else if (in.isGoalLevel) {
        offer.clearLabelCaption = "";
        offer.clearLabelVisible = false;
        offer.offerAgain = true;
    } else if (!in.goalCleared) {
        offer.clearLabelCaption = "次のレベルへ進みましょう";
        offer.offerAgain = false;
    } else {
        offer.offerAgain = true;  // the goal is cleared: free practice
    }
    return offer;
}

}  // namespace kagaku
