#pragma once
// FrmTimeData, the level settings editor: タイム回数データ.txt in a grid (one row per level)
// with an edit box laid over the current cell, the explanation of the current column, and the
// distributions of the recorded times of the current row's level. Nothing reaches the file
// until "更新記録"; the grid and its checks are admin::SettingsGrid, the distributions
// admin::TimeDistributions (read once when the editor opens, after 元に戻す and after a save).
//
// Inputs: the program's setup (the data folder, the levels and the settings in force) and the
// message boxes. Outcomes: settingsSaved() with the settings now in the file (the program puts
// them in force), closed() on 戻る (the program shows the level menu).

#include <QWidget>
#include <functional>

#include "admin/settings_editor.h"
#include "admin/time_distribution.h"
#include "records/level_settings.h"
#include "state/program_setup.h"

class QFrame;
class QLabel;
class QLayout;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace kagaku::ui {

class MessageBoxes;

class FrmTimeData final : public QWidget {
    Q_OBJECT

public:
    FrmTimeData(const ProgramSetup& setup, MessageBoxes& messages);

    // TextToGrid転送 and GridToText転送.
    void TextToGrid();
    void GridToText();

Q_SIGNALS:
    // 更新記録 wrote the file: these are the settings it holds now.
    void settingsSaved(const LevelSettings& settings);
    // 戻る: the editor is done, the level menu comes back.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLayout* BuildButtonRow();
    QLayout* BuildGridSide();
    QLayout* BuildDistributions();
    void BuildCover();
    void Activate();
    void Revert();    // Command2_Click
    bool LoadGrid();  // false when the file could not be read
    void ReadRecords();
    void ShowGrid();
    void ShowCell(int row, int column);
    void PlaceEditBox();
    void FitEditBox();  // the edit box over the current cell where the grid draws it now
    void FitHeadings();
    void DrawDistributions();  // Command7_Click
    // Command3_Click; saved (when given) hears whether the file was written.
    void Save(std::function<void(bool saved)> saved);
    void WriteSettings(std::function<void(bool saved)> saved);
    void Back();  // Command4_Click
    void Leave();
    void Tell(const QString& text, std::function<void()> then = {});
    void CellClicked(int tableRow, int tableColumn);
    bool HandleKey(int key, Qt::KeyboardModifiers modifiers);
    std::filesystem::path SettingsFile() const;

    const ProgramSetup& setup_;
    MessageBoxes& messages_;
    LevelSettings settings_;  // in force, as the last save left them
    admin::SettingsGrid grid_;
    admin::TimeDistributions distributions_;
    QFrame* page_ = nullptr;            // Picture1
    QTableWidget* table_ = nullptr;     // MSFlexGrid1
    QLineEdit* cellEdit_ = nullptr;     // Gridinputtext
    QLabel* explanation_ = nullptr;     // Label3
    QListWidget* allRuns_ = nullptr;    // List3
    QListWidget* bestTimes_ = nullptr;  // List4
    QFrame* cover_ = nullptr;           // Picture6
    int histogramLevel_ = 0;            // HistogramLevel
    bool activated_ = false;
    bool busy_ = false;  // a save or the way back is under way: further clicks do nothing
};

}  // namespace kagaku::ui
