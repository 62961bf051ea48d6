#include "board/rankings.h"

#include <algorithm>
#include <numeric>

#include "common/text_ops.h"
#include "state/shared_state.h"

namespace kagaku {

namespace {

constexpr std::int64_t kPointsKeyBase = 1000000;
constexpr std::int64_t kFailedBestTime = 99998;

std::int64_t PrimaryPoints(const ScoreAggregates& a, RankingKind kind, int level, int pupil) {
    return kind == RankingKind::TodayPoints ? a.TodayPoints.at(level, pupil)
                                            : a.TotalPoints.at(level, pupil);
}

}  // namespace

std::int64_t RankKey(const ScoreAggregates& a, RankingKind kind, int level, int pupil) {
    switch (kind) {
        case RankingKind::BestTime:
            return a.BestTime.at(level, pupil);
        case RankingKind::CumulativePoints:
            return kPointsKeyBase - 1000 * a.TotalPoints.at(level, pupil) -
                   a.TodayPoints.at(level, pupil);
        case RankingKind::TodayPoints:
            return kPointsKeyBase - 1000 * a.TodayPoints.at(level, pupil) -
                   a.TotalPoints.at(level, pupil);
    }
    return 0;
}

std::string RankColumn(long long rank) {
    return text::Right(text::Str(rank), 2);
}

RankedList RankLevel(const BoardInputs& in, int level, RankingKind kind) {
    const SharedState& state = in.State;
    const RosterTables& roster = state.Roster;
    const ScoreAggregates& a = state.Aggregates;
    const int m = std::clamp(roster.RosterCount, 0, kMaxListedPupils);

    // Every listed pupil is ranked, however long the roster (keys are 64-bit, so no points
    // total can wrap the key round).
    struct Entry {
        std::int64_t Key;
        std::int32_t Pupil;
    };
    std::vector<Entry> entries;
    entries.reserve(static_cast<std::size_t>(m));
    for (int i = 1; i <= m; ++i) {
        const int p = roster.RosterNumberAt[static_cast<std::size_t>(i)];
        entries.push_back(Entry{RankKey(a, kind, level, p), p});
    }
    // Ascending keys; pupils with equal keys stay in roster order.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& x, const Entry& y) { return x.Key < y.Key; });

    RankedList out;
    out.Lines.reserve(entries.size());
    long long rank = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int p = entries[i].Pupil;
        const std::int64_t k = entries[i].Key;
        bool sameRank = false;
        if (i > 0) {
            const int previous = entries[i - 1].Pupil;
            sameRank = kind == RankingKind::BestTime ? k == entries[i - 1].Key
                                                     : PrimaryPoints(a, kind, level, p) ==
                                                           PrimaryPoints(a, kind, level, previous);
        }
        if (!sameRank) {
            rank = static_cast<long long>(i) + 1;
        }

        const int d = BoardGradeNumber(roster, p);
        const bool own = p == state.PupilNumber;
        const std::string mark1 = own ? std::string(kOwnMark) : GradeMark(d);
        const std::string mark2 = own ? std::string(kOwnMark) : std::string("　");
        if (!GradeFilterPasses(in.GradeFilter(), d)) {
            continue;
        }
        if (kind == RankingKind::TodayPoints && a.TodayPoints.at(level, p) == 0) {
            continue;
        }
        const std::string name = RankingNameField(roster.RosterName[static_cast<std::size_t>(p)]);
        std::string line;
        if (kind == RankingKind::BestTime) {
            if (k == kFailedBestTime) {
                line = RankColumn(rank) + mark1 + name + "*失敗*" + " " + mark2;
            } else if (k == kNoTime) {
                line = "--" + mark1 + name + "------" + " " + mark2;
            } else {
                line = RankColumn(rank) + mark1 + name +
                       text::Right("    " + text::Str(static_cast<long long>(k)), 6) + " " + mark2;
            }
        } else {
            line =
                RankColumn(rank) + mark1 + name +
                text::Right(
                    "    " + text::NumberText(static_cast<long long>(a.TodayPoints.at(level, p))),
                    3) +
                "/" +
                text::Right(
                    "    " + text::NumberText(static_cast<long long>(a.TotalPoints.at(level, p))),
                    5);
        }
        if (own) {
            out.OwnLine = out.Lines.size();
        }
        out.Lines.push_back(std::move(line));
    }
    return out;
}

}  // namespace kagaku
