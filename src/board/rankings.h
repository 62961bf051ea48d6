#pragma once
// Per-level rankings of every listed pupil: by best time, by cumulative points, or by today's
// points. Equal keys keep roster order; equal rank keys share a rank, and ranks count the
// pupils the grade filter hides (1, 2, 2, 4). The signed-in pupil's line is marked "●" and
// brought into view.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "board/run_lists.h"

namespace kagaku {

enum class RankingKind {
    BestTime,          // time display: fastest first, pupils without a time last
    CumulativePoints,  // points display: most points first, more points today breaking ties
    TodayPoints,       // points display: most points today first, more points in all breaking
                       // ties; pupils without points today are not listed
};

struct RankedList {
    std::vector<std::string> Lines;
    // The signed-in pupil's line, to be brought into view (the last one when the pupil's number
    // is listed twice).
    std::optional<std::size_t> OwnLine;
};

// Where a pupil stands in a ranking: lower keys first, compared on Primary, then on
// Secondary. Pupils with equal Primary share a rank. Best time: the time, fastest first.
// Cumulative points: most points first, then most today. Today's points: most today first,
// then most cumulative points. Points are compared whole, however large either grows.
struct RankKeys {
    std::int64_t Primary = 0;
    std::int64_t Secondary = 0;
    friend auto operator<=>(const RankKeys&, const RankKeys&) = default;
};
RankKeys RankKeysOf(const ScoreAggregates& aggregates, RankingKind kind, int level, int pupil);

// One pupil of a level's ranking, in ranking order: the rank counts the pupils the grade filter
// hides; Listed says whether the pupil gets a line (grade filter, and points today in the
// today's points ranking).
struct RankedPupil {
    std::int32_t Pupil = 0;
    long long Rank = 0;
    std::int64_t Primary = 0;  // the key compared for ties (a best time, or minus the points)
    bool Listed = false;
};
// Every pupil of RosterNumberAt(1..RosterCount) in ranking order.
std::vector<RankedPupil> RankPupils(const BoardInputs& in, int level, RankingKind kind);

// The ranking fill of one level over RosterNumberAt(1..RosterCount).
RankedList RankLevel(const BoardInputs& in, int level, RankingKind kind);

// Rank column: the last two characters of Str(rank), so rank 1 reads " 1" and 123 reads "23".
std::string RankColumn(long long rank);

}  // namespace kagaku
