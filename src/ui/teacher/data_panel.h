#pragma once
// The teacher's data panel of the level menu: the button Command8 ("データ処理"), shown only to
// the teacher, opens Picture7 with the two administration screens and "戻る". While the panel
// shows, the menu's start buttons and keys start nothing. While a teacher's password is set,
// the panel asks for it first (teacher_password_dialog.h). Its fourth button opens the
// backups of the score file (backup_restore_dialog.h), and a daily backup that failed is shown
// above the buttons.
//
// Inputs: the password gate and the score file (whose backups' failure log is read). The panel
// opens no form itself: each button announces the form asked for, and the program opens it.

#include <QObject>
#include <filesystem>

#include "ui/teacher/teacher_password_dialog.h"

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace kagaku::ui {

class DataPanel final : public QObject {
    Q_OBJECT

public:
    // Creates the button and the hidden panel as children of the menu.
    DataPanel(PasswordGate gate, std::filesystem::path recordFile, QWidget* menu);
    QPushButton* button() const { return button_; }
    bool IsShown() const;
    // Closes the panel (戻る, and every display switch of the menu).
    void HidePanel();

Q_SIGNALS:
    // データ変更: the record manager, in place of the menu.
    void recordManagerAsked();
    // 合格タイムデータ変更: the level settings editor, in place of the menu.
    void levelSettingsAsked();
    // バックアップから戻す: the backups of the score file, over the menu.
    void backupRestoreAsked();
    // よく間違える問題 (the panel has closed).
    void mistakeRankingAsked();

private:
    void BuildPanel();
    void AskThenShowPanel();
    void ShowPanel();
    void OpenForm(void (DataPanel::*asked)());

    PasswordGate gate_;
    std::filesystem::path recordFile_;
    QWidget* menu_;
    QPushButton* button_;  // Command8
    QFrame* panel_;        // Picture7
    QLabel* backupFailure_;  // BackupFailureNotice
    bool opening_ = false;
    bool asking_ = false;  // the password is being asked for
};

}  // namespace kagaku::ui
