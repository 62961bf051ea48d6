#include "ui/teacher/backup_restore_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <cstdint>
#include <memory>
#include <string>

#include "common/clock.h"
#include "common/errors.h"
#include "common/files.h"
#include "records/record_file_waiter.h"
#include "ui/shell/record_file_task.h"
#include "ui/shell/look.h"

namespace kagaku::ui {

namespace {

// While another PC holds the score file the restore is tried again for this long, then given up.
constexpr std::int64_t kGiveUpAfterMs = 60'000;

QPushButton* Button(const QString& caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setFont(UiFont(18));
    b->setMinimumSize(Scaled(150), Scaled(44));
    return b;
}

QLabel* TextLabel(const char* name, QWidget* parent, int size = 18) {
    QLabel* l = PlainLabel(QString(), parent);
    l->setObjectName(name);
    l->setFont(UiFont(size));
    l->setWordWrap(true);
    return l;
}

QString SummaryText(const RecordFileSummary& now) {
    return QStringLiteral("いまの成績ファイル: 記録%1件（最後の記録 %2）")
        .arg(now.RecordCount)
        .arg(now.LastRecordDate ? Q(FormatSlashDate(*now.LastRecordDate)) : QStringLiteral("なし"));
}

}  // namespace

BackupRestoreInputs ReadBackupRestoreInputs(const std::filesystem::path& recordFile) {
    BackupRestoreInputs in;
    in.RecordFile = recordFile;
    try {
        in.Backups = ListBackups(recordFile);
        in.Now = SummariseRecordFile(recordFile);
        in.Failure = UnresolvedBackupFailure(recordFile);
    } catch (const DataFileError& e) {
        in.Problem = e.file() + "\n" + e.problem();
    } catch (const std::exception& e) {
        in.Problem = e.what();
    }
    return in;
}

BackupRestoreDialog::BackupRestoreDialog(BackupRestoreInputs inputs, const Clock& clock,
                                         MessageBoxes& messages, QWidget* parent)
    : QDialog(parent), inputs_(std::move(inputs)), clock_(clock), messages_(messages) {
    setObjectName("BackupRestore");
    setWindowTitle(QStringLiteral("バックアップから戻す"));
    setWindowModality(Qt::WindowModal);

    pages_ = new QStackedWidget(this);
    pages_->setObjectName("BackupPages");
    pages_->addWidget(BuildListPage());
    pages_->addWidget(BuildQuestionPage());
    pages_->addWidget(BuildOutcomePage());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Scaled(24), Scaled(20), Scaled(24), Scaled(20));
    layout->addWidget(pages_);

    // Closing while a busy file is waited for gives the restore up (it has not begun).
    connect(this, &QDialog::finished, this, [this] {
        delete task_.data();
        if (restored_)
            Q_EMIT closedAfterRestore();
    });
}

// Page 0: the record file as it is now, a failed daily backup, the backups and what to do.
QWidget* BackupRestoreDialog::BuildListPage() {
    auto* page = new QWidget(pages_);
    auto* title = TextLabel("BackupTitle", page, 22);
    title->setText(QStringLiteral("成績ファイルのバックアップ"));
    auto* now = TextLabel("BackupNow", page);
    now->setText(SummaryText(inputs_.Now));
    auto* failure = TextLabel("BackupFailure", page);
    failure->setStyleSheet("color: #B00000;");
    if (inputs_.Failure) {
        failure->setText(QStringLiteral("バックアップに失敗しています: ") + Q(*inputs_.Failure));
    }
    failure->setVisible(inputs_.Failure.has_value());
    list_ = new QListWidget(page);
    list_->setObjectName("BackupList");
    list_->setFont(FixedFont(16));
    list_->setMinimumSize(Scaled(760), Scaled(260));
    for (const BackupInfo& b : inputs_.Backups) {
        list_->addItem(Q(BackupListLine(b, false)));
    }
    status_ = TextLabel("BackupStatus", page);
    status_->setMinimumHeight(status_->fontMetrics().lineSpacing() * 2 + Scaled(4));
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    status_->setText(ListStatusText());
    restore_ = Button(QStringLiteral("戻す…"), "RestoreButton", page);
    restore_->setEnabled(false);
    auto* close = Button(QStringLiteral("閉じる"), "CloseButton", page);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(restore_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Scaled(10));
    layout->addWidget(title);
    layout->addWidget(now);
    layout->addWidget(failure);
    layout->addWidget(list_, 1);
    layout->addWidget(status_);
    layout->addLayout(buttons);

    connect(list_, &QListWidget::currentRowChanged, this, &BackupRestoreDialog::RowChosen);
    connect(list_, &QListWidget::itemActivated, this, [this] { AskToRestore(); });
    connect(restore_, &QPushButton::clicked, this, &BackupRestoreDialog::AskToRestore);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    return page;
}

QString BackupRestoreDialog::ListStatusText() const {
    if (!inputs_.Problem.empty())
        return QStringLiteral("バックアップを読めませんでした。\n") + Q(inputs_.Problem);
    if (inputs_.Backups.empty())
        return QStringLiteral("バックアップはまだありません。");
    return QStringLiteral("戻すバックアップを選んでください。");
}

void BackupRestoreDialog::RowChosen(int row) {
    restore_->setEnabled(row >= 0);
    const BackupInfo* b = Chosen();
    if (b == nullptr) {
        return;
    }
    status_->setText(b->Check == BackupCheck::Good
                         ? QStringLiteral("「戻す…」で、戻すと何が変わるかを表示します。")
                         : Q(b->FileName) + QStringLiteral(" は戻せません: ") + Q(b->Problem));
}

// Page 1: what the restore will change, 戻す and やめる.
QWidget* BackupRestoreDialog::BuildQuestionPage() {
    auto* page = new QWidget(pages_);
    auto* title = TextLabel("RestoreQuestionTitle", page, 22);
    title->setText(QStringLiteral("戻す前に確かめてください"));
    question_ = TextLabel("RestoreQuestion", page, 20);
    question_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    confirm_ = Button(QStringLiteral("戻す"), "ConfirmRestore", page);
    cancel_ = Button(QStringLiteral("やめる"), "CancelRestore", page);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(confirm_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Scaled(14));
    layout->addWidget(title);
    layout->addWidget(question_);
    layout->addStretch(1);
    layout->addLayout(buttons);
    connect(cancel_, &QPushButton::clicked, this, &BackupRestoreDialog::BackToList);
    connect(confirm_, &QPushButton::clicked, this, &BackupRestoreDialog::Confirmed);
    return page;
}

// Page 2: restored or not, and 閉じる.
QWidget* BackupRestoreDialog::BuildOutcomePage() {
    auto* page = new QWidget(pages_);
    outcomeTitle_ = TextLabel("RestoreOutcomeTitle", page, 22);
    outcome_ = TextLabel("RestoreOutcome", page, 20);
    outcome_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* close = Button(QStringLiteral("閉じる"), "DoneButton", page);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Scaled(14));
    layout->addWidget(outcomeTitle_);
    layout->addWidget(outcome_);
    layout->addStretch(1);
    layout->addLayout(buttons);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    return page;
}

const BackupInfo* BackupRestoreDialog::Chosen() const {
    const int row = list_->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= inputs_.Backups.size()) {
        return nullptr;
    }
    return &inputs_.Backups[static_cast<std::size_t>(row)];
}

void BackupRestoreDialog::AskToRestore() {
    const BackupInfo* b = Chosen();
    if (b == nullptr || restoring_ || finished_) {
        return;
    }
    if (b->Check != BackupCheck::Good) {
        status_->setText(Q(b->FileName) + QStringLiteral(" は戻せません: ") + Q(b->Problem));
        Q_EMIT refused(Q(PathText(BackupFolderOf(inputs_.RecordFile) / PathFromText(b->FileName))) +
                       QStringLiteral(" は戻せません: ") + Q(b->Problem));
        return;
    }
    question_->setText(Q(RestoreQuestion(*b, inputs_.Now)));
    confirm_->setEnabled(true);
    cancel_->setEnabled(true);
    pages_->setCurrentIndex(1);
    cancel_->setFocus();
}

void BackupRestoreDialog::BackToList() {
    if (restoring_) {
        return;
    }
    pages_->setCurrentIndex(0);
}

void BackupRestoreDialog::Confirmed() {
    const BackupInfo* b = Chosen();
    // A second press while a busy file is waited for, or after the outcome, starts nothing.
    if (b == nullptr || restoring_ || finished_) {
        return;
    }
    restoring_ = true;
    confirmed_ = *b;
    confirm_->setEnabled(false);
    cancel_->setEnabled(false);
    // While another PC holds the score file the task tries again from a timer, the dialog
    // drawn and answering; closing it gives the restore up.
    const std::int64_t started = clock_.MonotonicMs();
    auto outcome = std::make_shared<RestoreOutcome>();
    task_ = RecordFileTask::Start(
        this, messages_,
        [this, started, outcome](RecordFileWaiter& waiter) {
            if (clock_.MonotonicMs() - started >= kGiveUpAfterMs) {
                throw DataFileError(PathText(inputs_.RecordFile),
                                    "ほかのパソコンが使用中のため、" +
                                        std::to_string(kGiveUpAfterMs / 1000) +
                                        "秒待ちましたが使えませんでした");
            }
            *outcome = RestoreBackup(inputs_.RecordFile, confirmed_.FileName, clock_.Now(), waiter);
        },
        [this, outcome] { Restored(*outcome); }, [this](const DataFileError& e) { NotRestored(e); });
    if (task_ != nullptr) {
        question_->setText(Q(RestoreQuestion(confirmed_, inputs_.Now)) +
                           QStringLiteral("\n\nほかのパソコンが成績を記録しています。"
                                          "終わるのを待っています…"));
    }
}

void BackupRestoreDialog::NotRestored(const DataFileError& e) {
    restoring_ = false;
    finished_ = true;
    const QString message = QStringLiteral(
                                "戻せませんでした。成績ファイルはそのままです。\n\n"
                                "ファイル: %1\n問題: %2")
                                .arg(Q(e.file()), Q(e.problem()));
    Report(QStringLiteral("戻せませんでした"), message);
    Q_EMIT failed(message);
}

void BackupRestoreDialog::Restored(const RestoreOutcome& outcome) {
    restoring_ = false;
    finished_ = true;
    restored_ = true;
    Report(QStringLiteral("戻しました"),
           QStringLiteral("%1 に戻しました（記録%2件→%3件）。\n\n戻す前のファイルは %4 "
                          "として残しました。それに戻せば、いまの操作を取り消せます。")
               .arg(Q(confirmed_.FileName))
               .arg(outcome.RecordsBefore)
               .arg(outcome.RecordsAfter)
               .arg(Q(outcome.SavedAs)));
    Q_EMIT restored(Q(confirmed_.FileName), Q(outcome.SavedAs));
}

void BackupRestoreDialog::Report(const QString& title, const QString& text) {
    outcomeTitle_->setText(title);
    outcome_->setText(text);
    pages_->setCurrentIndex(2);
}

BackupRestoreDialog* OpenBackupRestoreDialog(QWidget* parent,
                                             const std::filesystem::path& recordFile,
                                             const Clock& clock, MessageBoxes& messages) {
    auto* dialog =
        new BackupRestoreDialog(ReadBackupRestoreInputs(recordFile), clock, messages, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

}  // namespace kagaku::ui
