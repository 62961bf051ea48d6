#pragma once
// Administration: the teachers' two tools behind the level menu's data panel.
//   settings_editor.h   the level settings editor's grid (FrmTimeData): cells, keys, checks,
//                       load and save of タイム回数データ.txt with a check for changes on disk
//   time_distribution.h the editor's time distributions, built from one read of the records
//   record_manager.h    the score record manager's list lines (FrmData) and its checked
//                       rewrite and deletion of one record
// The screens hold one of these objects each and only show what they return; the file work
// goes through records/ (level settings file, score record file and its lock).

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "records/level_settings.h"
#include "state/program_setup.h"

namespace kagaku::admin {

using SettingsRow = std::array<std::string, kSettingsColumns>;

// The explanation shown under "列の説明" for grid column 1..12 (empty for 10 to 12), its lines
// joined by "\n".
std::string ColumnExplanation(int column);

// The editor's keys; every other key only types into the edit box.
enum class EditorKey { Esc, Enter, Up, Down, ShiftDown, Left, Right };

// Why a grid may not be saved: the level (grid row), the column and a message naming both.
struct SettingsProblem {
    int level = 0;
    int column = 0;
    std::string message;
};

// By level (0..35): does the drill run it against the clock? The levels of the catalogue with
// even numbers; odd levels run the practice mode and levels beyond the catalogue are not
// offered.
std::vector<bool> TimedLevels(const ProgramSetup& setup);

// Checks the level rows before a save. Every cell: no comma, double quote or line break (they
// would shift every later item of the file). Columns 1 to 9: a number, not negative; a blank
// only in columns 6 to 9 (where it means "off") and on practice levels. Columns 1 to 4 (目標Time,
// 最低Time, ｸﾘｱﾎﾟｲﾝﾄ, ｸﾘｱ回数) whole numbers: the drill loads them rounded; ﾎﾟｲﾝﾄ倍率 keeps
// decimals. Timed levels: 目標Time and 最低Time at least 1, and 判期間 (column 8) neither blank
// nor 0 (a pass window of 0 days counts no run, so the level could never be cleared); 禁回,
// 禁点 and 禁期間 blank or 0 switch a ban off. The spare columns 10 to 12 are free text. levelTimed is indexed by
// level (0..35); a level beyond it counts as a practice level.
std::optional<SettingsProblem> CheckSettingsRows(const std::vector<SettingsRow>& levelRows,
                                                 const std::vector<bool>& levelTimed);

// Why the editor opened on the settings in force instead of the file's.
enum class SettingsFileTrouble {
    Missing,     // no file: a save creates it
    Unreadable,  // there, but could not be read at that moment (held elsewhere, replaced, ...)
    Damaged,     // read, but its text is not a level settings file: a save writes a new one
};
struct SettingsOpenProblem {
    SettingsFileTrouble trouble;
    std::string file;
    std::string problem;
};

// The grid of FrmTimeData: row 0 the headings, rows 1..LastSettingsRow the levels, columns
// 1..12 the settings (column 0, the level number, is the row number itself). The current cell
// never lies in row 0 or column 0.
class SettingsGrid {
public:
    // Reads the file into the grid (the heading group is dropped, rows 1..n become levels) and
    // remembers its bytes for the check at save. Throws DataFileError when the file is missing,
    // damaged or holds no level line; the grid is then unchanged. Edits are dropped (their
    // marks go too); the changed flag stays as it was.
    void Load(const std::filesystem::path& file);
    // Fills the grid from the program's table (used when the file cannot be read, so that a
    // save writes it anew). Nothing is remembered for the check at save.
    void LoadRows(const std::vector<SettingsRow>& levelRows);
    // Form_Activate: Load, or, when the file cannot be used, LoadRows(inForce) and the reason.
    // A damaged file's bytes are remembered for the check at save: a save then writes a whole
    // new file without asking, unless the file changed again meanwhile.
    std::optional<SettingsOpenProblem> Open(const std::filesystem::path& file,
                                            const std::vector<SettingsRow>& inForce);

    int LastSettingsRow() const { return static_cast<int>(rows_.size()) - 1; }
    const std::string& Cell(int row, int column) const;
    bool IsMarked(int row, int column) const;  // changed since the rows were loaded: yellow
    bool SettingsChanged() const { return changed_; }

    int Row() const { return row_; }
    int Column() const { return column_; }
    int SelectionBottom() const { return selectionBottom_; }
    // Makes a cell current (a click); out-of-range values are brought into the level cells.
    void SetCurrent(int row, int column);

    // TextToGrid転送: the edit box's text into the current cell, marked when it differs.
    void TypeText(const std::string& editText);
    // A key in the edit box, with the edit box's text. Returns false for Esc (nothing at all
    // happens); otherwise the key's own action has been done and the screen copies the current
    // cell into the edit box and redraws the distributions.
    bool Key(EditorKey key, const std::string& editText);

    // Rows 0..LastSettingsRow as the file gets them (row 0 the fixed headings).
    std::vector<SettingsRow> FileRows() const;
    std::vector<SettingsRow> LevelRows() const;

    // True when the file's bytes differ from those loaded (another teacher saved meanwhile, or
    // the file was removed). A grid filled by LoadRows has nothing to compare and says false
    // unless a file has appeared since. Throws DataFileError when the file is there but cannot
    // be read now (held by another PC, just replaced, no permission); the grid keeps
    // everything.
    bool FileChangedOnDisk(const std::filesystem::path& file) const;
    // Writes the grid (after CheckSettingsRows) atomically and reloads settings from it; the
    // changed flag goes back to 0 and the written bytes become the ones compared next time.
    // Throws DataFileError when the file cannot be written; the grid keeps everything.
    void Save(const std::filesystem::path& file, LevelSettings& settings);

private:
    void Reset(std::vector<SettingsRow> levelRows);
    static std::vector<SettingsRow> ParseRows(const std::string& bytes, const std::string& name);
    void Mark(int row, int column, const std::string& text);

    std::vector<SettingsRow> rows_{SettingsRow{}};  // row 0 unused: the headings are fixed
    std::vector<std::array<bool, kSettingsColumns>> marks_{std::array<bool, kSettingsColumns>{}};
    bool changed_ = false;
    int row_ = 0;
    int column_ = 1;
    int selectionBottom_ = 0;
    std::optional<std::string> loadedBytes_;  // nothing: the file was not there
    bool fromFile_ = false;
};

}  // namespace kagaku::admin
