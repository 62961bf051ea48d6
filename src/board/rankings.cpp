#include "board/rankings.h"

#include <algorithm>
#include <numeric>

#include "common/text_ops.h"

namespace kagaku {

namespace {

constexpr std::int64_t kFailedBestTime = 99998;

}  // namespace

RankKeys RankKeysOf(const ScoreAggregates& a, RankingKind kind, int level, int pupil) {
    switch (kind) {
        case RankingKind::BestTime:
            return {a.BestTime.at(level, pupil), 0};
        case RankingKind::CumulativePoints:
            return {-std::int64_t{a.TotalPoints.at(level, pupil)},
                    -std::int64_t{a.TodayPoints.at(level, pupil)}};
        case RankingKind::TodayPoints:
            return {-std::int64_t{a.TodayPoints.at(level, pupil)},
                    -std::int64_t{a.TotalPoints.at(level, pupil)}};
    }
    return {};
}

std::string RankColumn(long long rank) {
    return text::Right(text::Str(rank), 2);
}

std::vector<RankedPupil> RankPupils(const BoardInputs& in, int level, RankingKind kind) {
    const BoardData& state = in.State;
    const RosterTables& roster = state.Roster;
    const ScoreAggregates& a = state.Standing;
    const int m = std::clamp(roster.RosterCount, 0, kMaxListedPupils);

    // Every listed pupil is ranked, however long the roster.
    struct Entry {
        RankKeys Keys;
        std::int32_t Pupil;
    };
    std::vector<Entry> entries;
    entries.reserve(static_cast<std::size_t>(m));
    for (int i = 1; i <= m; ++i) {
        const int p = roster.RosterNumberAt[static_cast<std::size_t>(i)];
        entries.push_back(Entry{RankKeysOf(a, kind, level, p), p});
    }
    // Ascending keys; pupils with equal keys stay in roster order.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& x, const Entry& y) { return x.Keys < y.Keys; });

    std::vector<RankedPupil> out;
    out.reserve(entries.size());
    long long rank = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int p = entries[i].Pupil;
        const std::int64_t k = entries[i].Keys.Primary;
        if (i == 0 || k != entries[i - 1].Keys.Primary) {
            rank = static_cast<long long>(i) + 1;
        }
        bool listed = GradeFilterPasses(in.GradeFilter, BoardGradeNumber(roster, p));
        if (kind == RankingKind::TodayPoints && a.TodayPoints.at(level, p) == 0) {
            listed = false;
        }
        out.push_back(RankedPupil{p, rank, k, listed});
    }
    return out;
}

RankedList RankLevel(const BoardInputs& in, int level, RankingKind kind) {
    const BoardData& state = in.State;
    const RosterTables& roster = state.Roster;
    const ScoreAggregates& a = state.Standing;
    const std::vector<RankedPupil> ranked = RankPupils(in, level, kind);

    RankedList out;
    out.Lines.reserve(ranked.size());
    for (const RankedPupil& r : ranked) {
        if (!r.Listed) {
            continue;
        }
        const int p = r.Pupil;
        const std::int64_t k = r.Primary;
        const long long rank = r.Rank;
        const int d = BoardGradeNumber(roster, p);
        const bool own = p == state.SignIn.PupilNumber;
        const std::string mark1 = own ? std::string(kOwnMark) : GradeMark(d);
        const std::string mark2 = own ? std::string(kOwnMark) : std::string("　");
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
