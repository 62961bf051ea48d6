#pragma once
// The per-level settings the teachers choose, kept in タイム回数データ.txt in the program's data
// folder: line k holds level k's twelve items, line 0 the headings. The table is read once at
// start-up and again after every save of the level settings editor.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/field_list.h"
#include "common/variant.h"
#include "records/aggregates.h"

namespace kagaku {

inline constexpr int kSettingsColumns = 12;
inline constexpr int kMaxSettingsLines = 36;  // the heading line and levels 1 to 35
inline constexpr const char* kLevelSettingsFileName = "タイム回数データ.txt";

struct LevelSettings {
    std::array<std::int32_t, kLevelSlots> TargetTime{};
    std::array<std::int32_t, kLevelSlots> MinimumTime{};
    std::array<std::int32_t, kLevelSlots> ClearPoints{};
    std::array<std::int16_t, kLevelSlots> ClearCount{};
    // The multiplier as written in the file, so that 0.7 × 10 gives 7 as a person computes it;
    // see PointsTimesMultiplier.
    std::array<double, kLevelSlots> PointMultiplier{};
    std::array<Variant, kLevelSlots> BanCount{};
    std::array<Variant, kLevelSlots> BanPoints{};
    std::array<Variant, kLevelSlots> PassWindowDays{};
    std::array<Variant, kLevelSlots> BanWindowDays{};
    std::array<Variant, kLevelSlots> Spare10{};
    std::array<Variant, kLevelSlots> Spare11{};
    std::array<Variant, kLevelSlots> Spare12{};
    // Lines the last load found (the heading line included).
    int LinesLoaded = 0;
};

// The twelve headings the editor writes as line 0.
std::array<std::string, kSettingsColumns> LevelSettingsHeadings();

// Reads the file into settings, twelve items at a time regardless of line ends (a short line
// shifts every later item). Entries for which the file has no line keep their values. Throws
// DataFileError when the file is missing, undecodable, holds more than 36 lines' worth of
// items, or ends in the middle of a group of twelve.
void LoadLevelSettings(const std::filesystem::path& file, LevelSettings& settings);

// The items of the file's text as read, twelve per group (group 0 the heading line). Throws
// DataFileError (naming fileForMessages) for more than 36 groups or a file that ends in the
// middle of a group.
std::vector<std::vector<std::string>> ReadLevelSettingsGroups(std::string text,
                                                              const std::string& fileForMessages);

// Writes rows of twelve texts (row 0 the headings) as plain comma-separated CR LF lines in code
// page 932, replacing the file atomically, then loads it again into settings.
void SaveLevelSettings(const std::filesystem::path& file,
                       const std::vector<std::array<std::string, kSettingsColumns>>& rows,
                       LevelSettings& settings);

// The texts of the current table for levels 0..lastLevel, as the editor would show them.
std::vector<std::array<std::string, kSettingsColumns>> LevelSettingsRows(
    const LevelSettings& settings, int lastLevel);

}  // namespace kagaku
