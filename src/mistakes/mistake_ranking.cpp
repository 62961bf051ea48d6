#include "mistakes/mistake_ranking.h"

#include <algorithm>
#include <tuple>

#include "board/grade_marks.h"
#include "common/errors.h"

namespace kagaku {

namespace {

long long Stamp(const MistakeEntry& e) {
    return DaySerial(e.date) * 86400 + e.time.hour * 3600 + e.time.minute * 60 + e.time.second;
}

}  // namespace

bool InMistakeWindow(const CivilDate& date, const CivilDate& today, int days) {
    return DaySerial(date) >= DaySerial(today) - (days - 1);
}

MistakeTally::MistakeTally(const CivilDate& today, int days, std::optional<int> level)
    : firstDay_(DaySerial(today) - (std::max(days, 1) - 1)), level_(level) {}

void MistakeTally::Add(int pupil, const std::vector<MistakeEntry>& entries) {
    for (const MistakeEntry& e : entries) {
        if (level_ && e.level != *level_)
            continue;
        if (DaySerial(e.date) < firstDay_)
            continue;
        key_.clear();
        key_ += std::to_string(e.level);
        key_ += '\x1F';
        key_ += std::to_string(e.category);
        key_ += '\x1F';
        key_ += e.question;
        key_ += '\x1F';
        key_ += e.answer;
        auto [it, fresh] = counted_.try_emplace(key_);
        Counted& c = it->second;
        if (fresh) {
            c.level = e.level;
            c.category = e.category;
            c.question = e.question;
            c.answer = e.answer;
        }
        ++c.times;
        if (c.lastPupil != pupil) {
            c.lastPupil = pupil;
            ++c.pupils;
        }
        if (!e.typed.empty()) {
            WrongAnswer& w = c.wrong[e.typed];
            ++w.count;
            w.lastSeen = std::max(w.lastSeen, Stamp(e));
        }
    }
}

std::vector<LevelMistakes> MistakeTally::Rank() const {
    std::vector<LevelMistakes> levels;
    auto levelSlot = [&](int level) -> LevelMistakes& {
        auto at =
            std::lower_bound(levels.begin(), levels.end(), level,
                             [](const LevelMistakes& l, int wanted) { return l.level < wanted; });
        if (at == levels.end() || at->level != level)
            at = levels.insert(at, LevelMistakes{level, {}});
        return *at;
    };
    if (level_)
        levelSlot(*level_);
    for (const auto& [key, c] : counted_) {
        RankedProblem p;
        p.category = c.category;
        p.question = c.question;
        p.answer = c.answer;
        p.pupils = c.pupils;
        p.times = c.times;
        const std::pair<const std::string, WrongAnswer>* best = nullptr;
        for (const auto& w : c.wrong) {
            if (best == nullptr ||
                std::tie(w.second.count, w.second.lastSeen) >
                    std::tie(best->second.count, best->second.lastSeen) ||
                (w.second.count == best->second.count &&
                 w.second.lastSeen == best->second.lastSeen && w.first < best->first))
                best = &w;
        }
        if (best != nullptr) {
            p.commonWrongAnswer = best->first;
            p.commonWrongCount = best->second.count;
        }
        levelSlot(c.level).problems.push_back(std::move(p));
    }
    for (LevelMistakes& l : levels) {
        std::sort(l.problems.begin(), l.problems.end(),
                  [](const RankedProblem& a, const RankedProblem& b) {
                      return std::tie(b.pupils, b.times, a.category, a.question, a.answer) <
                             std::tie(a.pupils, a.times, b.category, b.question, b.answer);
                  });
        for (std::size_t i = 0; i < l.problems.size(); ++i) {
            RankedProblem& p = l.problems[i];
            const bool tied =
                i > 0 && l.problems[i - 1].pupils == p.pupils && l.problems[i - 1].times == p.times;
            p.rank = tied ? l.problems[i - 1].rank : static_cast<int>(i) + 1;
        }
    }
    return levels;
}

std::vector<PupilMistakeLog> LogsOfQuery(std::string_view programDataFolder,
                                         const RosterTables& roster, const MistakeQuery& query) {
    if (query.pupil)
        return {PupilMistakeLog{*query.pupil, MistakeLogPath(programDataFolder, *query.pupil)}};
    std::vector<PupilMistakeLog> logs = FindMistakeLogs(programDataFolder);
    std::erase_if(logs, [&](const PupilMistakeLog& log) {
        return !GradeFilterPasses(query.gradeFilter, BoardGradeNumber(roster, log.pupil));
    });
    return logs;
}

MistakeRanking BuildMistakeRanking(std::string_view programDataFolder, const RosterTables& roster,
                                   const MistakeQuery& query, const CivilDate& today) {
    MistakeRanking ranking;
    MistakeTally tally(today, query.days, query.level);
    for (const PupilMistakeLog& log : LogsOfQuery(programDataFolder, roster, query)) {
        MistakeLogContents contents;
        try {
            contents =
                ReadMistakeLogSince(log.path, DateFromSerial(DaySerial(today) - (query.days - 1)));
        } catch (const DataFileError& e) {
            ranking.problems.push_back(e.what());
            continue;
        }
        ++ranking.logsRead;
        if (contents.damagedLines > 0)
            ranking.problems.push_back(DamagedLinesMessage(log.path, contents));
        tally.Add(log.pupil, contents.entries);
    }
    ranking.levels = tally.Rank();
    return ranking;
}

}  // namespace kagaku
