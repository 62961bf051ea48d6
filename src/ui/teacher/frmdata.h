#pragma once
// FrmData, the score record manager: every record of the score record file as one line of a
// model-based list (built from one read by admin::BuildRecordListing), and an edit panel opened
// by a double click that corrects the pupil or the time of one record or deletes it. Both go
// through the record file's lock and are refused when the record changed since the double
// click. The first change of a sign-in keeps a copy of the file as it was.
//
// Inputs: the program's setup (folders, school, roster settings), whether this sign-in's copy
// before a change was kept already, the clock and the message boxes. Outcomes: closed() on 戻る
// (the program shows the level menu), changeBackupTaken() once the copy has been kept.

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

#include "admin/record_manager.h"
#include "records/record_file_waiter.h"
#include "records/score_record_file.h"
#include "state/program_setup.h"

class QComboBox;
class QFrame;
class QLabel;
class QLayout;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;
class QScrollBar;

namespace kagaku {
class Clock;
}

namespace kagaku::ui {

class MessageBoxes;
class RecordLinesModel;

class FrmData final : public QWidget {
    Q_OBJECT

public:
    FrmData(const ProgramSetup& setup, bool changeBackupTaken, const Clock& clock,
            MessageBoxes& messages);
    ~FrmData() override;

    // Command1_Click: reads the roster and the whole record file and shows the list; then runs
    // once it shows and its messages have been closed.
    void BuildList(std::function<void()> then = {});

Q_SIGNALS:
    // 戻る: the form is done, the level menu comes back.
    void closed();
    // The copy of the score file before the first change of this sign-in has been kept.
    void changeBackupTaken();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLayout* BuildListSide();
    QLayout* BuildPanelSide();
    QFrame* BuildEditPanel();
    void ConnectEditPanel();
    void OpenPanel(const QModelIndex& index);  // List1_DblClick
    void HidePanel();                          // List1_Click
    void Rewrite();                            // Command2_Click
    void Delete();                             // Command3_Click
    void DeleteConfirmed();
    void Back();                               // Command4_Click
    void SelectLine(std::optional<std::size_t> line);
    void RecordChangedElsewhere();
    void InformInTurn(QStringList texts, std::function<void()> then);
    void ShowList(bool readFile, QStringList problems, std::function<void()> then);
    // Runs a rewrite or a deletion of the selected record under the writers' lock; changed
    // runs once it has taken place. Nothing more happens after a file problem (reported, with
    // the failure's first line; the list read again when rebuildAfterFault) or when the record
    // changed on another PC (the list is read again).
    void ChangeRecord(const QString& failure, bool rebuildAfterFault,
                      std::function<RecordChange(RecordFileWaiter&)> change,
                      std::function<void()> changed);
    std::filesystem::path RecordFile() const;

    const ProgramSetup& setup_;
    const Clock& clock_;
    MessageBoxes& messages_;
    bool backupTaken_;  // ChangeBackupTaken as the form knows it
    admin::RosterLookup roster_;
    admin::RecordListing listing_;
    RecordLinesModel* model_ = nullptr;
    std::uint64_t selectedRecord_ = 0;  // SelectedRecord
    std::size_t selectedLine_ = 0;      // its line in listing_, whose bytes the changes compare
    ScoreRecordBytes readBytes_{};      // the record as listed (and found at the double click)
    QListView* list_ = nullptr;         // List1
    QFrame* editPanel_ = nullptr;       // Picture3
    QLabel* number_ = nullptr;          // Label1
    QLabel* level_ = nullptr;           // Label2(1)
    QLabel* date_ = nullptr;            // Label2(2)
    QLabel* grade_ = nullptr;           // Label2(4)
    QComboBox* pupil_ = nullptr;        // Combo1
    QLineEdit* seconds_ = nullptr;      // Text1(1)
    QScrollBar* secondsScroll_ = nullptr;  // VScroll1
    QPushButton* rewrite_ = nullptr;    // Command2
    QPushButton* delete_ = nullptr;     // Command3
    QFrame* cover_ = nullptr;           // Picture1
    bool busy_ = false;         // a box, a rewrite, a deletion or the way back is under way
    bool listPending_ = false;  // the list waits for the record file
};

}  // namespace kagaku::ui
