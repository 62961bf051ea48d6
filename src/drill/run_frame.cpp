#include "drill/run_frame.h"

#include "records/aggregates.h"
#include "state/level_catalogue.h"
#include "state/program_setup.h"

namespace kagaku {

bool ShowsChargeButtons(int level) {
    return level == 8 || level == 10;
}

std::optional<std::string> LevelStartProblem(const ProgramSetup& setup, int level) {
    if (level < 1 || level >= kLevelSlots)
        return "レベル" + std::to_string(level) + "はありません。";
    const auto slot = static_cast<std::size_t>(level);
    if (setup.LevelTimed[slot] != 1 || IsPracticeLevel(setup.LevelNames[slot]))
        return std::nullopt;
    const char* missing = nullptr;
    if (setup.Settings.TargetTime[slot] <= 0)
        missing = "目標Time";
    else if (setup.Settings.MinimumTime[slot] <= 0)
        missing = "最低Time";
    if (missing == nullptr)
        return std::nullopt;
    return "レベル" + std::to_string(level) + "の" + missing +
           "が設定されていません（1以上の秒数が必要です）。\n" +
           "タイム回数データ.txtで設定してから始めてください。";
}

RunEnd DecideRunEnd(const ProgramSetup& setup, int level, bool timedOut,
                    std::int32_t elapsedSeconds) {
    RunEnd end;
    const auto slot = static_cast<std::size_t>(level);
    if (level < 1 || level >= kLevelSlots)
        return end;
    if (IsPracticeLevel(setup.LevelNames[slot])) {
        end.action = RunEnd::Action::LeaveForMenu;
    } else if (setup.LevelTimed[slot] == 1) {
        end.action = RunEnd::Action::Record;
        end.resultTime = timedOut ? kNoTime : elapsedSeconds;
    }
    return end;
}

void NoteRunOutcome(CurrentRun& run, const FinishedRunOutcome& outcome) {
    run.GoalClearedBefore = outcome.GoalClearedBefore ? 1 : 0;
    if (outcome.NewPersonalBest)
        run.NewPersonalBest = 1;
    if (outcome.NewAllTimeBest)
        run.NewAllTimeBest = 1;
}

}  // namespace kagaku
