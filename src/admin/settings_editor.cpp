#include "admin/settings_editor.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "common/cp932.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/text_ops.h"
#include "state/level_catalogue.h"

namespace kagaku::admin {

namespace fs = std::filesystem;

namespace {

// A numeric item shows in its plain number form ("045" as 45), anything else as read.
std::string CellTextOf(const std::string& item) {
    return text::IsNumeric(item) ? text::NumberText(text::Val(item)) : item;
}

std::string ColumnName(int column) {
    const std::string heading = LevelSettingsHeadings()[static_cast<std::size_t>(column - 1)];
    std::string name = std::to_string(column) + "列目";
    return heading.empty() ? name : "「" + heading + "」（" + name + "）";
}

constexpr int kLastWholeNumberColumn = 4;  // 目標Time, 最低Time, ｸﾘｱﾎﾟｲﾝﾄ, ｸﾘｱ回数
constexpr int kPassWindowColumn = 8;       // 判期間
constexpr const char* kEmptyPassWindow =
    "が空か0です。0日では合格の判定に数える回がなく、このレベルも、その後のレベルも、"
    "だれもクリアできなくなります。1以上の日数を入れてください。";

SettingsProblem Problem(int level, int column, const std::string& what) {
    return {level, column, "レベル" + std::to_string(level) + "の" + ColumnName(column) + what};
}

// Throws DataFileError when the file is there but cannot be read (or cannot even be looked
// at).
std::optional<std::string> ReadIfThere(const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        if (ec) {
            throw DataFileError(PathText(file), "ファイルを調べられません（" + ec.message() + "）。");
        }
        return std::nullopt;
    }
    return ReadWholeFile(file);
}

}  // namespace

std::string ColumnExplanation(int column) {
    switch (column) {
        case 1:
            return "合格基準タイム\n　大部分の人ががんばったら出せそうなタイムにしてください";
        case 2:
            return "合格最低ラインタイム\n  合格基準タイムの２～５割増しにしてください "
                   "この５倍が時間切れになります";
        case 3:
            return "クリアポイント\n　　 次のレベルへ進むことができるようになるためのポイント";
        case 4:
            return "クリア回数\n　　 次のレベルへ進むことができるようになるための回数";
        case 5:
            return "ポイント倍率\n  ポイントを何倍にして加算するか\n"
                   "  むずかしいレベルや生徒のいやがるレベルは高くしてください";
        case 6:
            return "やりすぎ禁止回数\n  何回やったらやりすぎ禁止にするか";
        case 7:
            return "やりすぎ禁止ポイント\n  何ポイントとったらやりすぎ禁止にするか";
        case 8:
            return "合格判定をする日数\n　何日前からのポイントを有効にするか";
        case 9:
            return "やりすぎ判定をする日数\n　何日前からのポイントを有効にするか";
        default:
            return "";
    }
}

std::vector<bool> TimedLevels(const ProgramSetup& setup) {
    std::vector<bool> timed(kLevelSlots, false);
    for (int k = 1; k <= setup.LevelCount && k < kLevelSlots; ++k) {
        const auto slot = static_cast<std::size_t>(k);
        // The levels the drill runs against the clock, as the drill's start decides them.
        timed[slot] = setup.LevelTimed[slot] == 1 && !IsPracticeLevel(setup.LevelNames[slot]);
    }
    return timed;
}

std::optional<SettingsProblem> CheckSettingsRows(const std::vector<SettingsRow>& levelRows,
                                                 const std::vector<bool>& levelTimed) {
    for (std::size_t i = 0; i < levelRows.size(); ++i) {
        const int level = static_cast<int>(i) + 1;
        const bool timed = i + 1 < levelTimed.size() && levelTimed[i + 1];
        for (int column = 1; column <= kSettingsColumns; ++column) {
            const std::string& cell = levelRows[i][static_cast<std::size_t>(column - 1)];
            if (cell.find_first_of(",\"\r\n") != std::string::npos) {
                return Problem(
                    level, column,
                    "に、使えない文字（コンマ , 、ダブルクォート \" 、改行）があります。");
            }
            if (column > 9) {
                continue;  // spare columns: free text
            }
            const std::string value = text::Trim(cell);
            if (value.empty()) {
                if (column <= 5 && timed) {
                    return Problem(level, column, "が空です。数を入れてください。");
                }
                if (column == kPassWindowColumn && timed) {
                    return Problem(level, column, kEmptyPassWindow);
                }
                continue;
            }
            if (!text::IsNumeric(value)) {
                return Problem(level, column, "「" + cell + "」は数ではありません。");
            }
            const double number = text::Val(value);
            if (number < 0) {
                return Problem(level, column, "は0以上の数にしてください。");
            }
            // The drill reads these four rounded to whole numbers: 0.4 would pass here and
            // load as 0.
            if (column <= kLastWholeNumberColumn && number != std::floor(number)) {
                return Problem(level, column,
                               "「" + value + "」は整数ではありません。小数点のない数にしてください。");
            }
            if (timed && column <= 2 && number < 1) {
                return Problem(
                    level, column,
                    "が0です。0では、すぐに時間切れになったり、ポイントが入らなくなったり"
                    "します。1以上にしてください。");
            }
            // A pass window of 0 days counts no run: the level could never be cleared, and
            // every level after it would stay locked. (0 in columns 6, 7 and 9 switches a ban
            // off and is allowed.)
            if (timed && column == kPassWindowColumn && number <= 0) {
                return Problem(level, column, kEmptyPassWindow);
            }
        }
    }
    return std::nullopt;
}

std::vector<SettingsRow> SettingsGrid::ParseRows(const std::string& bytes,
                                                 const std::string& name) {
    const auto groups = ReadLevelSettingsGroups(Cp932ToUtf8(bytes, name), name);
    if (groups.size() < 2) {
        throw DataFileError(name, "レベルの設定の行がありません（見出しの行だけです）。");
    }
    std::vector<SettingsRow> levelRows;
    for (std::size_t k = 1; k < groups.size(); ++k) {
        SettingsRow row;
        for (std::size_t c = 0; c < row.size(); ++c) {
            row[c] = CellTextOf(groups[k][c]);
        }
        levelRows.push_back(std::move(row));
    }
    return levelRows;
}

void SettingsGrid::Load(const fs::path& file) {
    const std::string name = PathText(file);
    std::optional<std::string> bytes = ReadIfThere(file);
    if (!bytes) {
        throw DataFileError(name, "設定のファイルがありません。");
    }
    Reset(ParseRows(*bytes, name));
    loadedBytes_ = std::move(bytes);
    fromFile_ = true;
}

std::optional<SettingsOpenProblem> SettingsGrid::Open(const fs::path& file,
                                                      const std::vector<SettingsRow>& inForce) {
    const std::string name = PathText(file);
    std::optional<std::string> bytes;
    try {
        bytes = ReadIfThere(file);
    } catch (const DataFileError& e) {
        LoadRows(inForce);
        return SettingsOpenProblem{SettingsFileTrouble::Unreadable, e.file(), e.problem()};
    }
    if (!bytes) {
        LoadRows(inForce);
        return SettingsOpenProblem{SettingsFileTrouble::Missing, name, "設定のファイルがありません。"};
    }
    try {
        Reset(ParseRows(*bytes, name));
    } catch (const DataFileError& e) {
        LoadRows(inForce);
        // What a save replaces: no question about another PC's change unless it changes again.
        loadedBytes_ = std::move(bytes);
        fromFile_ = true;
        return SettingsOpenProblem{SettingsFileTrouble::Damaged, e.file(), e.problem()};
    }
    loadedBytes_ = std::move(bytes);
    fromFile_ = true;
    return std::nullopt;
}

void SettingsGrid::LoadRows(const std::vector<SettingsRow>& levelRows) {
    Reset(levelRows);
    loadedBytes_.reset();
    fromFile_ = false;
}

void SettingsGrid::Reset(std::vector<SettingsRow> levelRows) {
    rows_.assign(1, SettingsRow{});
    for (auto& row : levelRows) {
        rows_.push_back(std::move(row));
    }
    marks_.assign(rows_.size(), std::array<bool, kSettingsColumns>{});
    SetCurrent(1, 1);
}

const std::string& SettingsGrid::Cell(int row, int column) const {
    static const std::string none;
    if (row < 0 || row > LastSettingsRow() || column < 1 || column > kSettingsColumns) {
        return none;
    }
    if (row == 0) {
        static const auto headings = LevelSettingsHeadings();
        return headings[static_cast<std::size_t>(column - 1)];
    }
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column - 1)];
}

bool SettingsGrid::IsMarked(int row, int column) const {
    if (row < 1 || row > LastSettingsRow() || column < 1 || column > kSettingsColumns) {
        return false;
    }
    return marks_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column - 1)];
}

void SettingsGrid::SetCurrent(int row, int column) {
    row_ = std::clamp(row, std::min(1, LastSettingsRow()), LastSettingsRow());
    column_ = std::clamp(column, 1, kSettingsColumns);
    selectionBottom_ = row_;
}

void SettingsGrid::Mark(int row, int column, const std::string& text) {
    if (row < 1 || row > LastSettingsRow()) {
        return;
    }
    std::string& cell = rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column - 1)];
    if (cell != text) {
        marks_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column - 1)] = true;
        changed_ = true;
    }
    cell = text;
}

void SettingsGrid::TypeText(const std::string& editText) {
    Mark(row_, column_, editText);
}

bool SettingsGrid::Key(EditorKey key, const std::string& editText) {
    switch (key) {
        case EditorKey::Esc:
            return false;
        case EditorKey::Enter:
            break;
        case EditorKey::Up:
            if (row_ > 1) {
                SetCurrent(row_ - 1, column_);
            }
            break;
        case EditorKey::Down:
            if (row_ < LastSettingsRow()) {
                SetCurrent(row_ + 1, column_);
            }
            break;
        case EditorKey::ShiftDown:
            if (selectionBottom_ < LastSettingsRow()) {
                ++selectionBottom_;
            }
            for (int r = row_; r <= selectionBottom_; ++r) {
                Mark(r, column_, editText);
            }
            break;
        case EditorKey::Left:
            if (column_ > 1) {
                SetCurrent(row_, column_ - 1);
            }
            break;
        case EditorKey::Right:
            if (column_ < kSettingsColumns) {
                SetCurrent(row_, column_ + 1);
            }
            break;
    }
    return true;
}

std::vector<SettingsRow> SettingsGrid::LevelRows() const {
    return {rows_.begin() + 1, rows_.end()};
}

std::vector<SettingsRow> SettingsGrid::FileRows() const {
    std::vector<SettingsRow> rows = rows_;
    rows[0] = LevelSettingsHeadings();
    return rows;
}

bool SettingsGrid::FileChangedOnDisk(const fs::path& file) const {
    const std::optional<std::string> now = ReadIfThere(file);
    if (!fromFile_) {
        return now.has_value();
    }
    return now != loadedBytes_;
}

void SettingsGrid::Save(const fs::path& file, LevelSettings& settings) {
    SaveLevelSettings(file, FileRows(), settings);
    changed_ = false;
    loadedBytes_ = ReadIfThere(file);
    fromFile_ = true;
}

}  // namespace kagaku::admin
