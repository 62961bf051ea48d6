#include "drill/give_up.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "common/cp932_lines.h"
#include "common/errors.h"
#include "common/field_list.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/text_ops.h"

namespace kagaku {

namespace {

// "#2024-05-01#" (or without the hashes) as a date; false for anything else.
bool ParseLogDate(std::string_view field, CivilDate& date) {
    if (field.size() >= 2 && field.front() == '#' && field.back() == '#')
        field = field.substr(1, field.size() - 2);
    if (field.size() != 10 || field[4] != '-' || field[7] != '-')
        return false;
    int parts[3] = {0, 0, 0};
    const std::size_t starts[3] = {0, 5, 8};
    const std::size_t lengths[3] = {4, 2, 2};
    for (int k = 0; k < 3; ++k) {
        for (std::size_t i = 0; i < lengths[k]; ++i) {
            const char c = field[starts[k] + i];
            if (c < '0' || c > '9')
                return false;
            parts[k] = parts[k] * 10 + (c - '0');
        }
    }
    date = CivilDate{parts[0], parts[1], parts[2]};
    return true;
}

void EnsureLogExists(const std::filesystem::path& log) {
    std::error_code ec;
    if (std::filesystem::exists(log, ec))
        return;
    std::ofstream out(log, std::ios::binary | std::ios::app);
    if (!out)
        throw DataFileError(PathText(log), "ギブアップの記録ファイルを作れません（" +
                                               std::string(std::strerror(errno)) + "）。");
}

std::string GiveUpsLeftMessage(int leftAfterThis) {
    return "ギブアップできるのはあと" + std::to_string(leftAfterThis) + "回です";
}

}  // namespace

std::filesystem::path GiveUpLogPath(std::string_view programDataFolder, int pupilNumber) {
    return InFolder(programDataFolder, "ギブ" + std::to_string(pupilNumber) + ".csv");
}

int CountGiveUpsToday(const std::filesystem::path& log, const CivilDate& today) {
    EnsureLogExists(log);
    const std::string bytes = ReadWholeFile(log);
    const std::string file = PathText(log);
    // Every entry is a line of its own, read on its own: a damaged line (a quote never closed,
    // bytes of a torn write, bytes that are not code page 932) counts for nothing and costs
    // only itself, never the entries before or after it.
    int count = 0;
    ForEachCp932Line(
        bytes,
        [&](std::string_view line, int) {
            FieldReader reader{std::string(line), file};
            try {
                while (!reader.AtEnd()) {
                    CivilDate d;
                    if (ParseLogDate(reader.Next(), d) && d == today)
                        ++count;
                }
            } catch (const DataFileError&) {
            }
        },
        [](int) {});
    return count;
}

void AppendGiveUp(const std::filesystem::path& log, const CivilDate& today) {
    std::string line = FormatLogLine({LogDate{today.year, today.month, today.day}}) + "\r\n";
    std::error_code ec;
    if (std::filesystem::exists(log, ec)) {
        const std::string bytes = ReadWholeFile(log);
        if (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r')
            line = "\r\n" + line;
    }
    std::ofstream out(log, std::ios::binary | std::ios::app);
    if (out)
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
    if (out)
        out.flush();
    if (!out)
        throw DataFileError(PathText(log), "ギブアップの記録を書き込めません（" +
                                               std::string(std::strerror(errno)) + "）。");
}

GiveUpButtonState GiveUpButtonFor(const std::filesystem::path& log, const CivilDate& today) {
    GiveUpButtonState state;
    int count = 0;
    try {
        count = CountGiveUpsToday(log, today);
    } catch (const DataFileError& e) {
        state.problem = e.what();
    }
    if (count < kGiveUpsPerDay) {
        state.caption = "ギブアップ（後" + std::to_string(kGiveUpsPerDay - count) + "回）";
        state.enabled = true;
    } else {
        state.caption = "ギブアップ";
        state.enabled = false;
    }
    return state;
}

GiveUpOutcome GiveUp(const std::filesystem::path& log, const CivilDate& today) {
    GiveUpOutcome outcome;
    int count = 0;
    try {
        count = CountGiveUpsToday(log, today);
    } catch (const DataFileError& e) {
        // Without the log the allowance cannot be checked; the pupil is let go and told why.
        outcome.givenUp = true;
        outcome.messages.push_back(std::string(e.what()) +
                                   "\nギブアップの回数を記録できませんでした。");
        return outcome;
    }
    if (count >= kGiveUpsPerDay) {
        outcome.messages.push_back("本日" + std::to_string(count) +
                                   "回ギブアップしたので、もうギブアップできません");
        return outcome;
    }
    outcome.givenUp = true;
    outcome.messages.push_back(GiveUpsLeftMessage(kGiveUpsPerDay - count - 1));
    try {
        AppendGiveUp(log, today);
    } catch (const DataFileError& e) {
        outcome.messages.push_back(std::string(e.what()) +
                                   "\nギブアップの回数を記録できませんでした。");
    }
    return outcome;
}

}  // namespace kagaku
