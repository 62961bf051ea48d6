#include "records/level_settings.h"

#include "common/cp932.h"
#include "common/errors.h"
#include "common/field_list.h"
#include "common/files.h"
#include "common/text_ops.h"

#include <limits>

namespace kagaku {

namespace {

// A numeric column stores 0 for an item that is not a number (as the heading line is).
long long WholeNumberOf(const std::string& item) {
    return text::IsNumeric(item) ? text::RoundHalfEven(text::Val(item)) : 0;
}

template <typename T>
T Narrow(long long v) {
    if (v > std::numeric_limits<T>::max())
        return std::numeric_limits<T>::max();
    if (v < std::numeric_limits<T>::min())
        return std::numeric_limits<T>::min();
    return static_cast<T>(v);
}

}  // namespace

std::array<std::string, kSettingsColumns> LevelSettingsHeadings() {
    return {"目標Time", "最低Time", "ｸﾘｱﾎﾟｲﾝﾄ", "ｸﾘｱ回数", "ﾎﾟｲﾝﾄ倍率", "禁回",
            "禁点",     "判期間",   "禁期間",   "",        "",          ""};
}

std::vector<std::vector<std::string>> ReadLevelSettingsGroups(std::string text,
                                                              const std::string& fileForMessages) {
    FieldReader reader(std::move(text), fileForMessages);
    std::vector<std::vector<std::string>> groups;
    while (!reader.AtEnd()) {
        if (groups.size() >= static_cast<std::size_t>(kMaxSettingsLines)) {
            throw DataFileError(reader.File(),
                                "設定が多すぎます（見出しの行とレベル1～35の36行までです）。");
        }
        try {
            groups.push_back(reader.Next(kSettingsColumns));
        } catch (const DataFileError&) {
            throw DataFileError(
                reader.File(),
                std::to_string(groups.size()) +
                    "行目の途中でファイルが終わっています（1行に12項目が必要です）。");
        }
    }
    return groups;
}

void LoadLevelSettings(const std::filesystem::path& file, LevelSettings& settings) {
    // Read everything first, so that a damaged file leaves the table as it was.
    const std::vector<std::vector<std::string>> groups =
        ReadLevelSettingsGroups(ReadCp932File(file), PathText(file));
    for (std::size_t k = 0; k < groups.size(); ++k) {
        const auto& g = groups[k];
        settings.TargetTime[k] = Narrow<std::int32_t>(WholeNumberOf(g[0]));
        settings.MinimumTime[k] = Narrow<std::int32_t>(WholeNumberOf(g[1]));
        settings.ClearPoints[k] = Narrow<std::int32_t>(WholeNumberOf(g[2]));
        settings.ClearCount[k] = Narrow<std::int16_t>(WholeNumberOf(g[3]));
        settings.PointMultiplier[k] = text::IsNumeric(g[4]) ? text::Val(g[4]) : 0.0;
        settings.BanCount[k] = Variant::FromField(g[5]);
        settings.BanPoints[k] = Variant::FromField(g[6]);
        settings.PassWindowDays[k] = Variant::FromField(g[7]);
        settings.BanWindowDays[k] = Variant::FromField(g[8]);
        settings.Spare10[k] = Variant::FromField(g[9]);
        settings.Spare11[k] = Variant::FromField(g[10]);
        settings.Spare12[k] = Variant::FromField(g[11]);
    }
    settings.LinesLoaded = static_cast<int>(groups.size());
}

void SaveLevelSettings(const std::filesystem::path& file,
                       const std::vector<std::array<std::string, kSettingsColumns>>& rows,
                       LevelSettings& settings) {
    const std::string name = PathText(file);
    if (rows.size() > static_cast<std::size_t>(kMaxSettingsLines)) {
        throw DataFileError(name, "設定が多すぎます（見出しの行とレベル1～35の36行までです）。");
    }
    std::string content;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (const std::string& item : rows[r]) {
            // A comma, quote or line break would shift every later item of the file.
            if (item.find_first_of(",\"\r\n") != std::string::npos) {
                throw DataFileError(name, std::to_string(r) + "行目の「" + item +
                                              "」に、使えない文字（, \" 改行）があります。");
            }
        }
        content += FormatPlainLine({rows[r].begin(), rows[r].end()});
        content += "\r\n";
    }
    WriteFileAtomically(file, Utf8ToCp932(content, name));
    LoadLevelSettings(file, settings);
}

std::vector<std::array<std::string, kSettingsColumns>> LevelSettingsRows(
    const LevelSettings& settings, int lastLevel) {
    std::vector<std::array<std::string, kSettingsColumns>> rows;
    rows.push_back(LevelSettingsHeadings());
    for (int k = 1; k <= lastLevel && k <= kMaxLevel; ++k) {
        auto i = static_cast<std::size_t>(k);
        rows.push_back({text::NumberText(static_cast<long long>(settings.TargetTime[i])),
                        text::NumberText(static_cast<long long>(settings.MinimumTime[i])),
                        text::NumberText(static_cast<long long>(settings.ClearPoints[i])),
                        text::NumberText(static_cast<long long>(settings.ClearCount[i])),
                        text::NumberText(settings.PointMultiplier[i]),
                        settings.BanCount[i].ToText(), settings.BanPoints[i].ToText(),
                        settings.PassWindowDays[i].ToText(), settings.BanWindowDays[i].ToText(),
                        settings.Spare10[i].ToText(), settings.Spare11[i].ToText(),
                        settings.Spare12[i].ToText()});
    }
    return rows;
}

}  // namespace kagaku
