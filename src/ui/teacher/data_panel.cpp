#include "ui/teacher/data_panel.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
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

namespace {

QPushButton* PanelButton(QWidget* panel, const QString& caption, const QString& name) {
    auto* b = new QPushButton(caption, panel);
    b->setObjectName(name);
    b->setFont(UiFont(18));
    b->setMinimumSize(Scaled(260), Scaled(44));
    return b;
}

}  // namespace

DataPanel::DataPanel(Program& program, QWidget* menu)
    : QObject(menu), program_(program), menu_(menu) {
    button_ = new QPushButton(QStringLiteral("データ処理"), menu);
    button_->setObjectName("Command8");
    button_->setFont(UiFont(16));
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setMinimumSize(Scaled(110), Scaled(40));
    button_->hide();
    connect(button_, &QPushButton::clicked, this, &DataPanel::AskThenShowPanel);
    BuildPanel();
}

// The failure notice above データ変更, 合格タイムデータ変更, よく間違える問題, バックアップから戻す
// and 戻る; hidden until データ処理.
void DataPanel::BuildPanel() {
    panel_ = new QFrame(menu_);
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
        auto* open = PanelButton(panel_, captions[i], QStringLiteral("Command10_%1").arg(i));
        connect(open, &QPushButton::clicked, this, [this, i] { Open(i); });
        layout->addWidget(open);
    }
    auto* mistakes = PanelButton(panel_, QStringLiteral("よく間違える問題"), "MistakeRankingOpen");
    connect(mistakes, &QPushButton::clicked, this, [this] {
        HidePanel();
        Q_EMIT mistakeRankingAsked();
    });
    layout->addWidget(mistakes);
    auto* restore = PanelButton(panel_, QStringLiteral("バックアップから戻す"), "Command10_2");
    connect(restore, &QPushButton::clicked, this, [this] {
        // After a restore the menu is shown afresh, on the restored records.
        OpenBackupRestoreDialog(menu_, ScoreRecordPath(program_.state().ProgramDataFolder),
                                program_.clock(), [this] { program_.ShowLevelMenu(); });
    });
    layout->addWidget(restore);
    auto* back = PanelButton(panel_, QStringLiteral("戻る"), "Command12");
    connect(back, &QPushButton::clicked, this, &DataPanel::HidePanel);
    layout->addWidget(back);
    panel_->adjustSize();
    panel_->hide();
}

bool DataPanel::IsShown() const {
    return panel_->isVisible();
}

void DataPanel::AskThenShowPanel() {
    // While a password is set the panel opens only once it has been given in this sign-in.
    // The dialog is window-modal, so no click reaches the menu meanwhile; a second press that
    // arrives all the same opens no second dialog.
    if (asking_)
        return;
    asking_ = true;
    program_.TeacherPasswordGate()(menu_, [self = QPointer<DataPanel>(this)](bool opened) {
        if (self.isNull())
            return;
        self->asking_ = false;
        if (opened)
            self->ShowPanel();
    });
}

void DataPanel::ShowPanel() {
    const auto failure =
        UnresolvedBackupFailure(ScoreRecordPath(program_.state().ProgramDataFolder));
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
