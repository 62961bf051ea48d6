#pragma once
// Results: judging a finished timed run once its record is stored and the aggregates have been
// rebuilt. Evaluation turns the run and the pupil's standing into what the result screen shows
// and plays - the points line, the messages, the sounds in their order, the goal picture - and,
// when the screen's half-second timer fires, whether "もう一度" is offered or the pupil is sent
// on to the next level (over-practice). The screen plays this out; nothing here draws or plays.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/variant.h"
#include "records/aggregates.h"
#include "state/current_run.h"
#include "state/program_setup.h"
#include "state/signed_in.h"

namespace kagaku {

// Everything the evaluation reads, for level L and pupil p, after the aggregates include the
// run just stored.
struct RunResultInputs {
    int level = 0;
    std::int32_t resultTime = 0;  // G; 99999 for a timed-out run
    bool timedOut = false;
    bool newPersonalBest = false;
    bool newAllTimeBest = false;
    bool goalClearedBefore = false;
    bool isGoalLevel = false;
    // Some level 1..35 has a ClearCount of 9999, which suppresses the goal picture.
    bool goalPictureSuppressed = false;

    std::int32_t targetTime = 0;
    std::int32_t minimumTime = 0;
    std::int32_t clearPoints = 0;
    std::int32_t clearCount = 0;
    double pointMultiplier = 0.0;
    double banCount = 0.0;   // 0 switches the limit off
    double banPoints = 0.0;  // 0 switches the limit off

    std::int64_t passWindowPoints = 0;
    std::int32_t passWindowRunCount = 0;
    std::int32_t banWindowRunCount = 0;
    std::int64_t banWindowPoints = 0;
    double todayRunsThisLevel = 0.0;
    double todayRunsAllLevels = 0.0;  // levels 1..35
    bool goalCleared = false;         // the level menu's GoalCleared flag

    std::string programName;
    std::string levelName;
    std::string pupilName;
};

// Reads the inputs of the run just ended (CurrentLevel, PupilNumber, ResultTime, the flags, the
// level settings and the standing), with the level menu's GoalCleared flag as the last lock pass
// left it.
RunResultInputs ResultInputsFrom(const ProgramSetup& setup, const SignedIn& signIn,
                                 const CurrentRun& run, const ScoreAggregates& standing,
                                 const Variant& goalCleared);

// Sounds of the result, played one after another, each to its end.
enum class ResultSound {
    AllTimeBest,   // 最高1.wav
    PersonalBest,  // a random file of 自己最高音2
    Slow,          // a random file of 不合格音1
    Goal,          // 合格.wav, the goal cleared for the first time
};

struct RunResult {
    std::int64_t basePoints = 0;
    std::int64_t earnedPoints = 0;
    bool levelCleared = false;  // "このレベルクリア" is shown
    bool showGoalPicture = false;  // "目標レベルクリア。おめでとう！" until the timer fires

    std::string programLine;             // Label15
    std::string levelLine;               // Label16
    std::string pupilLine;               // Label17
    std::string levelRunsLine;           // Label13: " (このレベル　3回目)"
    std::string dayRunsLine;             // Label14: "（7回目)"
    std::string timeLine;                // Label18: "今の成績：42秒" or "記録なし"
    std::string pointsLine;              // Label19: "獲得ポイント：11点×1.5→16点"
    std::optional<std::string> message;  // Label20, shown only when set
    std::vector<ResultSound> sounds;     // in the order they are played
};

// Points of a run of G seconds against target T, before the multiplier: at or under the
// target Int(((T - G) / T)^3 x 50 + 5) (5 on the target, 55 in no time); under 2T 4; under
// 10T 1; otherwise 0; a timed-out run 0. A level without a target time earns 0.
std::int64_t ResultBasePoints(std::int32_t resultTime, std::int32_t targetTime);

RunResult EvaluateRun(const RunResultInputs& in);

// What the screen's one-shot timer does, 500 ms after the evaluation (after the sounds).
struct ResultOffer {
    bool offerAgain = false;  // show "もう一度"; "メニューへ" is always shown
    // Replaces the clear label when set: "次のレベルへ進みましょう", or "" to clear it.
    std::optional<std::string> clearLabelCaption;
    bool clearLabelVisible = false;
};

// The over-practice rule: a pupil who has cleared a level that is not the goal, and has run it
// too often (or earned too many points on it) within the ban window, is sent on to the next
// level instead of being offered a repeat - until the goal is cleared.
bool IsOverPractised(const RunResultInputs& in);
ResultOffer OfferAfterTimer(const RunResultInputs& in, const RunResult& result);

}  // namespace kagaku
