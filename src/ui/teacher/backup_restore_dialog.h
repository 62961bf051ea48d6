#pragma once
// The teacher's "バックアップから戻す": the score file's backups listed as records/backups.h
// reads them (date, kind, record count, last record's date, damaged ones marked), and a restore
// of the chosen one after a confirmation that says what will change. The dialog is window-modal
// and opened with open(); it runs no event loop of its own: while another PC holds the score
// file the restore is tried again from a timer, and meanwhile a second confirmation does
// nothing; after a minute it is given up. Each outcome is a signal; the dialog never shows
// another screen.

#include <QDialog>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/errors.h"
#include "records/backups.h"

class QLabel;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace kagaku {
class Clock;
}

namespace kagaku::ui {

class MessageBoxes;
class RecordFileTask;

// What the dialog shows, read before it opens.
struct BackupRestoreInputs {
    std::filesystem::path RecordFile;
    std::vector<BackupInfo> Backups;
    RecordFileSummary Now;
    std::optional<std::string> Failure;  // a daily backup that failed, not yet settled
    std::string Problem;                 // the backups could not be read: why (else empty)
};
// Reads the list, the record file's summary and the failure log; never throws.
BackupRestoreInputs ReadBackupRestoreInputs(const std::filesystem::path& recordFile);

class BackupRestoreDialog final : public QDialog {
    Q_OBJECT

public:
    // clock names the copy kept before the restore; messages ask whether to try again after a
    // file error that waiting will not mend.
    BackupRestoreDialog(BackupRestoreInputs inputs, const Clock& clock, MessageBoxes& messages,
                        QWidget* parent);

Q_SIGNALS:
    // The score file now holds the backup; savedAs keeps the file as it was.
    void restored(const QString& backup, const QString& savedAs);
    // The chosen backup is damaged or cannot be checked: nothing was changed.
    void refused(const QString& message);
    // The restore failed (a file problem): nothing was changed.
    void failed(const QString& message);
    // The dialog has closed after a restore: what was shown of the records is out of date.
    void closedAfterRestore();

private:
    QWidget* BuildListPage();
    QWidget* BuildQuestionPage();
    QWidget* BuildOutcomePage();
    QString ListStatusText() const;
    void RowChosen(int row);  // the status line of the chosen backup
    void AskToRestore();  // 戻す: the confirmation, or the refusal of a damaged backup
    void BackToList();    // やめる on the confirmation
    void Confirmed();     // 戻す on the confirmation: the restore, as a task
    void Restored(const RestoreOutcome& outcome);
    void NotRestored(const DataFileError& e);
    void Report(const QString& title, const QString& text);
    const BackupInfo* Chosen() const;

    BackupRestoreInputs inputs_;
    const Clock& clock_;
    QStackedWidget* pages_;      // BackupPages: 0 the list, 1 the confirmation, 2 the outcome
    QListWidget* list_;          // BackupList
    QLabel* status_;             // BackupStatus
    QLabel* question_;           // RestoreQuestion
    QLabel* outcomeTitle_;       // RestoreOutcomeTitle
    QLabel* outcome_;            // RestoreOutcome
    QPushButton* restore_;       // RestoreButton
    QPushButton* confirm_;       // ConfirmRestore
    QPushButton* cancel_;        // CancelRestore
    MessageBoxes& messages_;
    QPointer<RecordFileTask> task_;  // the restore while a busy file is waited for
    BackupInfo confirmed_;           // the backup being restored
    bool restoring_ = false;
    bool finished_ = false;  // restored or failed: the dialog only closes now
    bool restored_ = false;
};

// Reads the inputs and opens the dialog window-modal over parent (deleted when closed).
BackupRestoreDialog* OpenBackupRestoreDialog(QWidget* parent,
                                             const std::filesystem::path& recordFile,
                                             const Clock& clock, MessageBoxes& messages);

}  // namespace kagaku::ui
