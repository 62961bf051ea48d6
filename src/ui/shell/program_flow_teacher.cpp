// The teacher's road: the password in front of the teacher's functions, and the forms the data
// panel of the level menu asks for. The record manager and the settings editor take the menu's
// place and give it back; the backups open over the menu.

#include "admin/teacher_password.h"
#include "records/score_record_file.h"
#include "ui/shell/look.h"
#include "ui/shell/program.h"
#include "ui/teacher/backup_restore_dialog.h"
#include "ui/teacher/data_panel.h"
#include "ui/teacher/frmdata.h"
#include "ui/teacher/frmtimedata.h"
#include "ui/teacher/teacher_password_dialog.h"

namespace kagaku::ui {

PasswordGate Program::TeacherPasswordGate() {
    return [this](QWidget* from, std::function<void(bool opened)> done) {
        AskTeacherPassword(
            TeacherPasswordCheck{signIn_.TeacherPassword,
                                 admin::TeacherPasswordPath(setup_.ProgramDataFolder),
                                 Q(setup_.ProgramName), clock(), messages()},
            from, std::move(done));
    };
}

void Program::ConnectDataPanel(DataPanel& panel, QWidget* menu) {
    connect(&panel, &DataPanel::recordManagerAsked, this, &Program::ShowRecordManager);
    connect(&panel, &DataPanel::levelSettingsAsked, this, &Program::ShowLevelSettingsEditor);
    connect(&panel, &DataPanel::backupRestoreAsked, menu, [this, menu] { OpenBackupRestore(menu); });
}

void Program::ShowRecordManager() {
    auto* form = new FrmData(setup_, signIn_.ChangeBackupTaken, clock(), messages());
    connect(form, &FrmData::changeBackupTaken, this, [this] { signIn_.ChangeBackupTaken = true; });
    connect(form, &FrmData::closed, this, &Program::ShowLevelMenu);
    ShowScreen(form);
}

void Program::ShowLevelSettingsEditor() {
    auto* form = new FrmTimeData(setup_, messages());
    // The settings saved are in force at once, for the rest of the program run.
    connect(form, &FrmTimeData::settingsSaved, this,
            [this](const LevelSettings& settings) { editedLevelSettings() = settings; });
    connect(form, &FrmTimeData::closed, this, &Program::ShowLevelMenu);
    ShowScreen(form);
}

void Program::OpenBackupRestore(QWidget* menu) {
    BackupRestoreDialog* dialog = OpenBackupRestoreDialog(
        menu, ScoreRecordPath(setup_.ProgramDataFolder), clock(), messages());
    connect(dialog, &BackupRestoreDialog::closedAfterRestore, this, &Program::ShowLevelMenu);
}

}  // namespace kagaku::ui
