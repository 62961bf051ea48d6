#include "ui/teacher/data_panel.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "records/backups.h"
#include "records/score_record_file.h"
#include "ui/teacher/backup_restore_dialog.h"
#include "ui/teacher/frmdata.h"
#include "ui/teacher/frmtimedata.h"
#include "ui/shell/look.h"
#include "ui/shell/program.h"
#include "ui/teacher/teacher_password_dialog.h"

namespace kagaku::ui {

DataPanel::DataPanel(Program& program, QWidget* menu)
    : QObject(menu), program_(program), menu_(menu) {
    button_ = new QPushButton(QStringLiteral("データ処理"), menu);
    button_->setObjectName("Command8");
    button_->setFont(UiFont(16));
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setMinimumSize(Scaled(110), Scaled(40));
    button_->hide();
    connect(button_, &QPushButton::clicked, this, &DataPanel::AskThenShowPanel);

    panel_ = new QFrame(menu);
    panel_->setObjectName("Picture7");
    panel_->setFrameShape(QFrame::Box);
    panel_->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(panel_);
    backupFailure_ = PlainLabel(QString(), panel_);
    backupFailure_->setObjectName("BackupFailureNotice");
    backupFailure_->setFont(UiFont(14));
    backupFailure_->setWordWrap(true);
    backupFailure_->setStyleSheet("color: #B00000;");
    backupFailure_->hide();
    layout->addWidget(backupFailure_);
    const QString captions[] = {QStringLiteral("データ変更"),
                                QStringLiteral("合格タイムデータ変更")};
    for (int i = 0; i < 2; ++i) {
        auto* open = new QPushButton(captions[i], panel_);
        open->setObjectName(QStringLiteral("Command10_%1").arg(i));
        open->setFont(UiFont(18));
        open->setMinimumSize(Scaled(260), Scaled(44));
        connect(open, &QPushButton::clicked, this, [this, i] { Open(i); });
        layout->addWidget(open);
    }
    auto* mistakes = new QPushButton(QStringLiteral("よく間違える問題"), panel_);
    mistakes->setObjectName("MistakeRankingOpen");
    mistakes->setFont(UiFont(18));
    mistakes->setMinimumSize(Scaled(260), Scaled(44));
    connect(mistakes, &QPushButton::clicked, this, [this] {
        HidePanel();
        Q_EMIT mistakeRankingAsked();
    });
    layout->addWidget(mistakes);
    auto* restore = new QPushButton(QStringLiteral("バックアップから戻す"), panel_);
    restore->setObjectName("Command10_2");
    restore->setFont(UiFont(18));
    restore->setMinimumSize(Scaled(260), Scaled(44));
    connect(restore, &QPushButton::clicked, this, [this] {
        // After a restore the menu is shown afresh, on the restored records.
        OpenBackupRestoreDialog(menu_, ScoreRecordPath(program_.setup().ProgramDataFolder),
                                program_.clock(), [this] { program_.ShowLevelMenu(); });
    });
    layout->addWidget(restore);
    auto* back = new QPushButton(QStringLiteral("戻る"), panel_);
    back->setObjectName("Command12");
    back->setFont(UiFont(18));
    back->setMinimumSize(Scaled(260), Scaled(44));
    connect(back, &QPushButton::clicked, this, &DataPanel::HidePanel);
    layout->addWidget(back);
    panel_->adjustSize();
    panel_->hide();
}

bool DataPanel::IsShown() const {
    return panel_->isVisible();
}

void DataPanel::AskThenShowPanel() {
    // While a password is set the panel opens only once it has been given in this sign-in; the
    // dialog is modal, so nothing else reaches the menu meanwhile.
    if (!AskTeacherPassword(program_, menu_))
        return;
    ShowPanel();
}

void DataPanel::ShowPanel() {
    const auto failure =
        UnresolvedBackupFailure(ScoreRecordPath(program_.setup().ProgramDataFolder));
    backupFailure_->setText(failure ? QStringLiteral("バックアップに失敗しています: ") + Q(*failure)
                                    : QString());
    backupFailure_->setMaximumWidth(Scaled(420));
    backupFailure_->setVisible(failure.has_value());
    panel_->adjustSize();
    panel_->move((menu_->width() - panel_->width()) / 2, (menu_->height() - panel_->height()) / 3);
    panel_->show();
    panel_->raise();
}

void DataPanel::HidePanel() {
    panel_->hide();
}

void DataPanel::Open(int index) {
    // A second click while the new screen is being shown opens nothing more; the panel stays
    // shown and the menu is closed by the new screen.
    if (opening_) {
        return;
    }
    opening_ = true;
    if (index == 0) {
        ShowRecordManager(program_);
    } else {
        ShowLevelSettingsEditor(program_);
    }
}

}  // namespace kagaku::ui
