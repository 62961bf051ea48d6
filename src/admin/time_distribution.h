#pragma once
// The level settings editor's "現在までの成績度数分布": for every level, how the recorded
// times fall into bins of ten seconds, once over all runs and once over each pupil's best time.
// Built from one read of the record file; the lists of a level are drawn from the bins.

#include <array>
#include <string>
#include <vector>

#include "records/score_record_file.h"

namespace kagaku::admin {

inline constexpr int kDistributionLevels = 50;  // levels 1 to 50 are counted, the rest skipped
inline constexpr int kAllRunsLastBin = 100;     // 1000 s and more, timed-out runs included
inline constexpr int kBestTimesLastBin = 30;    // 300 s and more

struct TimeDistributions {
    using Bins = std::array<int, kAllRunsLastBin + 1>;
    std::array<int, kDistributionLevels + 1> RunCount{};
    std::array<Bins, kDistributionLevels + 1> AllRuns{};
    std::array<Bins, kDistributionLevels + 1> BestTimes{};
};

// Counts every record with a level from 1 to 50 and seconds not negative; level 0, levels
// above 50 and negative times are no runs to count.
TimeDistributions BuildTimeDistributions(const RecordWindow& records);

// The lines of List3 (all runs, best == false) or List4 (best times) for the level: the heading
// line, then 101 bin lines ("  10～★★"). A level outside 1..50 gets empty bins.
std::vector<std::string> DistributionLines(const TimeDistributions& d, int level, bool best);

}  // namespace kagaku::admin
