#include "ui/teacher/data_panel.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "records/backups.h"
#include "ui/shell/look.h"

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

DataPanel::DataPanel(PasswordGate gate, std::filesystem::path recordFile, QWidget* menu)
    : QObject(menu), gate_(std::move(gate)), recordFile_(std::move(recordFile)), menu_(menu) {
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
    auto* records = PanelButton(panel_, QStringLiteral("データ変更"), "Command10_0");
    connect(records, &QPushButton::clicked, this, [this] { OpenForm(&DataPanel::recordManagerAsked); });
    layout->addWidget(records);
    auto* settings = PanelButton(panel_, QStringLiteral("合格タイムデータ変更"), "Command10_1");
    connect(settings, &QPushButton::clicked, this,
            [this] { OpenForm(&DataPanel::levelSettingsAsked); });
    layout->addWidget(settings);
    auto* mistakes = PanelButton(panel_, QStringLiteral("よく間違える問題"), "MistakeRankingOpen");
    connect(mistakes, &QPushButton::clicked, this, [this] {
        HidePanel();
        Q_EMIT mistakeRankingAsked();
    });
    layout->addWidget(mistakes);
    auto* restore = PanelButton(panel_, QStringLiteral("バックアップから戻す"), "Command10_2");
    connect(restore, &QPushButton::clicked, this, &DataPanel::backupRestoreAsked);
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
    gate_(menu_, [self = QPointer<DataPanel>(this)](bool opened) {
        if (self.isNull())
            return;
        self->asking_ = false;
        if (opened)
            self->ShowPanel();
    });
}

void DataPanel::ShowPanel() {
    const auto failure = UnresolvedBackupFailure(recordFile_);
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

void DataPanel::OpenForm(void (DataPanel::*asked)()) {
    // A second click while the new screen is being shown opens nothing more; the panel stays
    // shown and the menu goes when the form takes its place.
    if (opening_) {
        return;
    }
    opening_ = true;
    Q_EMIT(this->*asked)();
}

}  // namespace kagaku::ui
