#pragma once
// The teacher's data panel of the level menu: the button Command8 ("データ処理"), shown only to
// the teacher, opens Picture7 with the two administration screens and "戻る". While the panel
// shows, the menu's start buttons and keys start nothing. While a teacher's password is set,
// the panel asks for it first (teacher_password_dialog.h). Its fourth button opens the
// backups of the score file (backup_restore_dialog.h), and a daily backup that failed is shown
// above the buttons.

#include <QObject>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace kagaku::ui {

class Program;

class DataPanel final : public QObject {
    Q_OBJECT

public:
    // Creates the button and the hidden panel as children of the menu.
    DataPanel(Program& program, QWidget* menu);
    QPushButton* button() const { return button_; }
    bool IsShown() const;
    // Closes the panel (戻る, and every display switch of the menu).
    void HidePanel();

Q_SIGNALS:
    // "よく間違える問題" was pressed (the panel has closed).
    void mistakeRankingAsked();

private:
    void BuildPanel();
    void AskThenShowPanel();
    void ShowPanel();
    void Open(int index);

    Program& program_;
    QWidget* menu_;
    QPushButton* button_;  // Command8
    QFrame* panel_;        // Picture7
    QLabel* backupFailure_;  // BackupFailureNotice
    bool opening_ = false;
    bool asking_ = false;  // the password is being asked for
};

}  // namespace kagaku::ui
