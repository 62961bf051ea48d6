#include "board/score_board.h"

#include <algorithm>

#include "board/level_locks.h"

namespace kagaku {

BoardList ListFor(int boardMode, int option) {
    if (boardMode == 2) {
        switch (option) {
            case 2:
                return BoardList::TodayRanking;
            case 3:
                return BoardList::PeriodPointsFirst;
            default:
                return BoardList::CumulativeRanking;
        }
    }
    switch (option) {
        case 2:
            return BoardList::TodayRuns;
        case 3:
            return BoardList::PeriodTimeFirst;
        default:
            return BoardList::BestTimes;
    }
}

std::optional<std::size_t> RecordScanFor(BoardList list) {
    switch (list) {
        case BoardList::TodayRuns:
            return kTodayListScan;
        case BoardList::PeriodTimeFirst:
        case BoardList::PeriodPointsFirst:
        case BoardList::OwnRuns:
            return kPeriodListScan;
        case BoardList::BestTimes:
        case BoardList::CumulativeRanking:
        case BoardList::TodayRanking:
            return std::nullopt;
    }
    return std::nullopt;
}

const std::array<std::string, 3>& DisplayCaptions() {
    static const std::array<std::string, 3> kCaptions = {"ﾀｲﾑ表示", "ﾎﾟｲﾝﾄ表示", "個人ﾀｲﾑ"};
    return kCaptions;
}

std::array<std::string, 3> ListOptionCaptions(int display, const std::string& currentThird) {
    if (display == 1) {
        return {"合計累計", "合計本日", "すべて"};
    }
    return {"BEST表示", "本日のみ", currentThird};
}

std::string ListHeading(BoardList list) {
    switch (list) {
        case BoardList::BestTimes:
            return "ベスト成績";
        case BoardList::TodayRuns:
            return "本日の成績";
        case BoardList::CumulativeRanking:
            return "獲得ポイント（今まで順位）";
        case BoardList::TodayRanking:
            return "獲得ポイント（今日の順位）";
        case BoardList::OwnRuns:
            return "個人別ﾀｲﾑ";
        case BoardList::PeriodTimeFirst:
        case BoardList::PeriodPointsFirst:
            return "";
    }
    return "";
}

bool ShowsPeriodBox(BoardList list) {
    return list == BoardList::PeriodTimeFirst || list == BoardList::PeriodPointsFirst;
}

const std::array<std::string, 5>& PeriodChoices() {
    static const std::array<std::string, 5> kChoices = {
        "　　　今週の全成績", "　　先週からの全成績", "　　１ヶ月間の全成績", "　　１年間の全成績",
        "　　今までの全成績\""};
    return kChoices;
}

std::optional<int> ListPeriodForChoice(int index) {
    if (index < 0 || index > 4) {
        return std::nullopt;
    }
    return index + 1;
}

BoardFill FillBoard(const BoardInputs& in, BoardList list, std::span<const RunRecord> records,
                    double now, const Variant& listPeriod) {
    BoardFill fill;
    fill.OwnLine.assign(kLevelSlots, std::nullopt);
    const BoardData& state = in.State;
    const int levelCount = std::clamp<int>(state.Setup.LevelCount, 0, kMaxLevel);

    auto rankAll = [&](RankingKind kind, bool skipPractice) {
        fill.Lines.assign(kLevelSlots, {});
        for (int level = 1; level <= levelCount; ++level) {
            const auto i = static_cast<std::size_t>(level);
            if (skipPractice && IsPracticeLevel(state.Setup.LevelNames[i])) {
                continue;
            }
            if (in.Progress) {
                in.Progress(static_cast<std::size_t>(level), static_cast<std::size_t>(levelCount));
            }
            RankedList ranked = RankLevel(in, level, kind);
            fill.Lines[i] = std::move(ranked.Lines);
            fill.OwnLine[i] = ranked.OwnLine;
        }
    };

    switch (list) {
        case BoardList::BestTimes:
            rankAll(RankingKind::BestTime, true);
            break;
        case BoardList::CumulativeRanking:
            rankAll(RankingKind::CumulativePoints, false);
            break;
        case BoardList::TodayRanking:
            rankAll(RankingKind::TodayPoints, false);
            break;
        case BoardList::TodayRuns:
            fill.Lines = TodayRunList(in, records, now);
            break;
        case BoardList::PeriodTimeFirst:
        case BoardList::PeriodPointsFirst: {
            const double period = listPeriod.ToDouble();
            const int days = period >= 1 && period <= 5 ? static_cast<int>(period) : 0;
            fill.Lines =
                PeriodRunList(in, records, now, days, list == BoardList::PeriodPointsFirst);
            break;
        }
        case BoardList::OwnRuns:
            fill.Lines = OwnRunList(in, records, now);
            break;
    }
    return fill;
}

}  // namespace kagaku
