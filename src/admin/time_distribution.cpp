#include "admin/time_distribution.h"

#include <algorithm>
#include <unordered_map>

#include "common/text_ops.h"

namespace kagaku::admin {

TimeDistributions BuildTimeDistributions(const RecordWindow& records) {
    TimeDistributions d;
    // Best time per level and pupil.
    std::unordered_map<long long, std::int32_t> best;
    for (std::size_t i = 0; i < records.Count(); ++i) {
        const ScoreRecord r = records.Record(i);
        if (r.Level < 1 || r.Level > kDistributionLevels || r.Seconds < 0) {
            continue;
        }
        const auto level = static_cast<std::size_t>(r.Level);
        ++d.RunCount[level];
        ++d.AllRuns[level][static_cast<std::size_t>(std::min(r.Seconds / 10, kAllRunsLastBin))];
        const long long key = static_cast<long long>(r.Level) * 100000 + r.PupilNumber;
        auto [it, added] = best.emplace(key, r.Seconds);
        if (!added && r.Seconds < it->second) {
            it->second = r.Seconds;
        }
    }
    for (const auto& [key, seconds] : best) {
        const auto level = static_cast<std::size_t>(key / 100000);
        ++d.BestTimes[level][static_cast<std::size_t>(std::min(seconds / 10, kBestTimesLastBin))];
    }
    return d;
}

std::vector<std::string> DistributionLines(const TimeDistributions& d, int level, bool best) {
    static const TimeDistributions::Bins kEmpty{};
    const bool counted = level >= 1 && level <= kDistributionLevels;
    const auto index = static_cast<std::size_t>(counted ? level : 0);
    const TimeDistributions::Bins& bins =
        !counted ? kEmpty : (best ? d.BestTimes[index] : d.AllRuns[index]);
    const int most = *std::max_element(bins.begin(), bins.end());
    const int unit = most / 10 == 0 ? 1 : most / 10;

    std::vector<std::string> lines;
    lines.reserve(bins.size() + 1);
    const std::string levelText = text::NumberText(static_cast<long long>(level));
    const std::string unitText = text::NumberText(static_cast<long long>(unit));
    if (best) {
        lines.push_back("レベル" + levelText + " （★=" + unitText + "）");
    } else {
        const int runs = counted ? d.RunCount[index] : 0;
        lines.push_back("レベル" + levelText + " 今まで" +
                        text::NumberText(static_cast<long long>(runs)) + "回  （★=" + unitText +
                        "）");
    }
    for (std::size_t k = 0; k < bins.size(); ++k) {
        // Int(count / unit + 0.5) stars: the longest bar has about ten.
        const long long stars = text::Int(static_cast<double>(bins[k]) / unit + 0.5);
        lines.push_back(text::PadLeft(text::NumberText(static_cast<long long>(10 * k)), 4) + "～" +
                        text::Repeat("★", stars));
    }
    return lines;
}

}  // namespace kagaku::admin
