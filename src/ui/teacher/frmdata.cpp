#include "ui/teacher/frmdata.h"

#include <QAbstractListModel>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <memory>

#include "common/clock.h"
#include "common/errors.h"
#include "common/text_ops.h"
#include "platform/shared_file.h"
#include "records/backups.h"
#include "ui/shell/look.h"
#include "ui/shell/record_file_task.h"
#include "ui/shell/services.h"

namespace kagaku::ui {

// The list lines, turned into text for the view only when a line is drawn.
class RecordLinesModel final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    void SetLines(const std::vector<std::string>* lines) {
        beginResetModel();
        lines_ = lines;
        endResetModel();
    }
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() || lines_ == nullptr ? 0 : static_cast<int>(lines_->size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || lines_ == nullptr || !index.isValid())
            return {};
        return Q((*lines_)[static_cast<std::size_t>(index.row())]);
    }

private:
    const std::vector<std::string>* lines_ = nullptr;
};

namespace {

QLabel* PanelLabel(QWidget* parent, const char* name) {
    QLabel* l = PlainLabel(QString(), parent);
    l->setObjectName(name);
    l->setFont(UiFont(18));
    return l;
}

QString FileProblemText(const DataFileError& e) {
    return QStringLiteral("ファイル: %1\n問題: %2").arg(Q(e.file()), Q(e.problem()));
}

QString ReadFailureText(const FileOperationError& e) {
    return QStringLiteral("成績のファイルを読めませんでした（%1）。").arg(Q(e.description()));
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setFont(UiFont(18));
    b->setMinimumSize(Scaled(120), Scaled(40));
    return b;
}

}  // namespace

FrmData::FrmData(const ProgramSetup& setup, bool changeBackupTaken, const Clock& clock,
                 MessageBoxes& messages)
    : setup_(setup), clock_(clock), messages_(messages), backupTaken_(changeBackupTaken) {
    setObjectName("FrmData");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Q(setup_.ProgramName));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(Scaled(12), Scaled(8), Scaled(12), Scaled(8));
    layout->addLayout(BuildListSide(), 3);
    layout->addLayout(BuildPanelSide(), 2);
    ConnectEditPanel();

    cover_ = new QFrame(this);
    cover_->setObjectName("Picture1");
    cover_->setAutoFillBackground(true);
    cover_->hide();

    BuildList();
}

// The hint and the list of every record.
QLayout* FrmData::BuildListSide() {
    auto* side = new QVBoxLayout;
    auto* hint = PlainLabel(QStringLiteral("ダブルクリックすると変更、消去できます"), this);
    hint->setObjectName("Label5");
    hint->setFont(UiFont(18));
    side->addWidget(hint);
    list_ = new QListView(this);
    list_->setObjectName("List1");
    list_->setFont(FixedFont(14));
    list_->setUniformItemSizes(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    model_ = new RecordLinesModel(this);
    list_->setModel(model_);
    connect(list_, &QListView::clicked, this, [this] { HidePanel(); });
    // The panel belongs to the line it was opened on: any move of the selection (the arrow
    // keys too) closes it, as a click does.
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { HidePanel(); });
    connect(list_, &QListView::doubleClicked, this, &FrmData::OpenPanel);
    side->addWidget(list_, 1);
    return side;
}

// The edit panel at the top, 戻る at the bottom.
QLayout* FrmData::BuildPanelSide() {
    auto* side = new QVBoxLayout;
    side->addWidget(BuildEditPanel());
    side->addStretch(1);
    auto* backBox = new QFrame(this);
    backBox->setObjectName("Picture10");
    auto* backLayout = new QHBoxLayout(backBox);
    auto* back = Button(backBox, "Command4", QStringLiteral("戻る"));
    backLayout->addWidget(back);
    connect(back, &QPushButton::clicked, this, &FrmData::Back);
    side->addWidget(backBox, 0, Qt::AlignRight);
    return side;
}

// The record's number, level, date, pupil and grade, its seconds with the scroll bar, and the
// panel's three buttons; hidden until a double click.
QFrame* FrmData::BuildEditPanel() {
    editPanel_ = new QFrame(this);
    editPanel_->setObjectName("Picture3");
    editPanel_->setFrameShape(QFrame::Box);
    auto* grid = new QGridLayout(editPanel_);
    number_ = PanelLabel(editPanel_, "Label1");
    level_ = PanelLabel(editPanel_, "Label2_1");
    date_ = PanelLabel(editPanel_, "Label2_2");
    grade_ = PanelLabel(editPanel_, "Label2_4");
    pupil_ = new QComboBox(editPanel_);
    pupil_->setObjectName("Combo1");
    pupil_->setEditable(true);
    pupil_->setFont(UiFont(16));
    pupil_->setMinimumWidth(Scaled(220));
    seconds_ = new QLineEdit(editPanel_);
    seconds_->setObjectName("Text1_1");
    seconds_->setFont(UiFont(18));
    auto* unit = PanelLabel(editPanel_, "Label2_0");
    unit->setText(QStringLiteral("秒"));
    secondsScroll_ = new QScrollBar(Qt::Vertical, editPanel_);
    secondsScroll_->setObjectName("VScroll1");
    secondsScroll_->setRange(0, admin::kSecondsScrollMaximum);
    secondsScroll_->setMinimumHeight(Scaled(60));
    rewrite_ = Button(editPanel_, "Command2", QStringLiteral("変更して記録"));
    delete_ = Button(editPanel_, "Command3", QStringLiteral("消去"));
    // キャンセル has no action of its own: a click on the list closes the panel.
    auto* cancel = Button(editPanel_, "Command6", QStringLiteral("キャンセル"));
    rewrite_->setEnabled(false);
    delete_->setEnabled(false);
    grid->addWidget(number_, 0, 0, 1, 3);
    grid->addWidget(level_, 1, 0);
    grid->addWidget(date_, 1, 1, 1, 2);
    grid->addWidget(pupil_, 2, 0, 1, 2);
    grid->addWidget(grade_, 2, 2);
    grid->addWidget(seconds_, 3, 0);
    grid->addWidget(unit, 3, 1);
    grid->addWidget(secondsScroll_, 3, 2);
    grid->addWidget(rewrite_, 4, 0);
    grid->addWidget(delete_, 4, 1);
    grid->addWidget(cancel, 4, 2);
    editPanel_->hide();
    return editPanel_;
}

void FrmData::ConnectEditPanel() {
    connect(pupil_, &QComboBox::activated, this, [this] {
        // Combo1_Click: the grade of the chosen pupil.
        const auto pupil = admin::PupilOfEntry(U(pupil_->currentText()));
        grade_->setText(pupil ? Q(text::Trim(roster_.GradeOf[static_cast<std::size_t>(*pupil)]))
                              : QString());
    });
    connect(secondsScroll_, &QScrollBar::valueChanged, this,
            [this](int value) { seconds_->setText(Q(text::Str(static_cast<long long>(value)))); });
    connect(rewrite_, &QPushButton::clicked, this, &FrmData::Rewrite);
    connect(delete_, &QPushButton::clicked, this, &FrmData::Delete);
}

FrmData::~FrmData() = default;

std::filesystem::path FrmData::RecordFile() const {
    return ScoreRecordPath(setup_.ProgramDataFolder);
}

void FrmData::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    cover_->setGeometry(rect());
}

void FrmData::BuildList(std::function<void()> then) {
    // The list is filled whatever could not be read; the messages follow one another.
    QStringList problems;
    try {
        roster_ = admin::ReadRosterLookup(setup_, clock_.TodayDate());
    } catch (const DataFileError& e) {
        roster_ = {};
        problems << QStringLiteral("名簿を読めませんでした。名前なしで表示します。\n\n"
                                   "ファイル: %1\n問題: %2")
                        .arg(Q(e.file()), Q(e.problem()));
    }
    pupil_->clear();
    for (const std::string& item : roster_.PupilItems)
        pupil_->addItem(Q(item));

    // A deletion that was cut short is finished before the file is listed, under the writers'
    // lock; while another PC holds it the task tries again from a timer, the form drawn, and
    // nothing of the list can be chosen meanwhile (listPending_). 戻る still leaves.
    listPending_ = true;
    RecordFileTask::Start(
        this, messages_,
        [file = RecordFile()](RecordFileWaiter& waiter) { FinishInterruptedDeletion(file, waiter); },
        [this, problems, then] { ShowList(true, problems, then); },
        [this, problems, then](const DataFileError& e) {
            ShowList(false, problems + QStringList{FileProblemText(e)}, then);
        });
}

// The listing of the whole file (or of nothing, when the file could not be made whole), then
// the messages, then then.
void FrmData::ShowList(bool readFile, QStringList problems, std::function<void()> then) {
    listPending_ = false;
    RecordWindow window;
    if (readFile) {
        try {
            window = ReadRecordWindow(RecordFile(), 0);
        } catch (const DataFileError& e) {
            problems << FileProblemText(e);
        } catch (const FileOperationError& e) {
            problems << ReadFailureText(e);
        }
    }
    model_->SetLines(nullptr);
    listing_ = admin::BuildRecordListing(window, roster_, admin::OwnSchoolOf(setup_));
    model_->SetLines(&listing_.Lines);
    list_->show();
    InformInTurn(problems, std::move(then));
}

// Shows the messages one after another, each once the one before has been closed, then runs
// then (at once when there are none).
void FrmData::InformInTurn(QStringList texts, std::function<void()> then) {
    if (texts.isEmpty()) {
        if (then)
            then();
        return;
    }
    const QString text = texts.takeFirst();
    messages_.Inform(this, QStringLiteral("注意"), text,
                               [this, texts = std::move(texts), then = std::move(then)] {
                                   InformInTurn(texts, then);
                               });
}

void FrmData::HidePanel() {
    editPanel_->hide();
}

void FrmData::OpenPanel(const QModelIndex& index) {
    if (busy_ || listPending_ || !index.isValid())
        return;
    const auto line = static_cast<std::size_t>(index.row());
    std::optional<ScoreRecord> listed;
    try {
        // Compared with the line's own bytes: after another PC's deletion the number names
        // the record after the chosen one.
        listed = admin::ReadListedRecord(RecordFile(), listing_, line);
    } catch (const FileOperationError& e) {
        InformInTurn({ReadFailureText(e)}, {});
        return;
    }
    if (!listed) {
        RecordChangedElsewhere();
        return;
    }
    const ScoreRecord& record = *listed;
    selectedLine_ = line;
    selectedRecord_ = listing_.Numbers[line];
    readBytes_ = listing_.Bytes[line];
    number_->setText(QString::number(selectedRecord_));
    rewrite_->setEnabled(true);
    delete_->setEnabled(true);
    const admin::EditPanel values = admin::EditPanelFor(record, roster_);
    level_->setText(Q(values.Level));
    date_->setText(Q(values.Date));
    grade_->setText(Q(values.Grade));
    {
        const QSignalBlocker blocker(secondsScroll_);
        secondsScroll_->setValue(values.ScrollValue);
    }
    seconds_->setText(Q(values.Seconds));
    pupil_->setCurrentIndex(pupil_->findText(Q(values.Pupil)));
    pupil_->setEditText(Q(values.Pupil));
    editPanel_->show();
}

void FrmData::SelectLine(std::optional<std::size_t> line) {
    HidePanel();  // selecting a line closes the edit panel, as any click on the list does
    if (!line)
        return;  // the list is empty now
    const QModelIndex index = model_->index(static_cast<int>(*line));
    list_->setCurrentIndex(index);
    list_->scrollTo(index);
}

void FrmData::RecordChangedElsewhere() {
    InformInTurn({Q(admin::kRecordChangedMessage)}, [this] {
        HidePanel();
        BuildList();
    });
}

void FrmData::Rewrite() {
    if (busy_ || listPending_)
        return;
    const auto corrected = admin::CorrectedRecord(DecodeScoreRecord(readBytes_.data()),
                                                  U(pupil_->currentText()), U(seconds_->text()));
    if (const auto* refusal = std::get_if<std::string>(&corrected)) {
        InformInTurn({Q(*refusal)}, {});
        return;
    }
    const ScoreRecord record = std::get<ScoreRecord>(corrected);
    ChangeRecord(
        QStringLiteral("記録を書き換えられませんでした。"), false,
        [this, record, line = selectedLine_](RecordFileWaiter& waiter) {
            return admin::RewriteListedRecord(RecordFile(), listing_, line, record, waiter);
        },
        [this] { BuildList([this] { SelectLine(admin::LineOfRecord(listing_, selectedRecord_)); }); });
}

// The change runs as a task: while another PC holds the file it is tried again from a timer,
// and until it is over every button of the form does nothing (busy_), 戻る too, so that the
// change the teacher asked for is not dropped by leaving.
void FrmData::ChangeRecord(const QString& failure, bool rebuildAfterFault,
                           std::function<RecordChange(RecordFileWaiter&)> change,
                           std::function<void()> changed) {
    busy_ = true;
    auto result = std::make_shared<RecordChange>(RecordChange::RecordDiffers);
    RecordFileTask::Start(
        this, messages_,
        [this, change = std::move(change), result](RecordFileWaiter& waiter) {
            // The first change of a sign-in keeps the file as it was; without that copy
            // nothing is changed. A try that stopped after the copy does not copy again.
            if (!backupTaken_) {
                TakeTimedBackup(RecordFile(), BackupKind::BeforeChange, clock_.Now(), waiter);
                backupTaken_ = true;
                Q_EMIT changeBackupTaken();
            }
            *result = change(waiter);
        },
        [this, result, changed = std::move(changed)] {
            busy_ = false;
            if (*result != RecordChange::Done) {
                RecordChangedElsewhere();
                return;
            }
            changed();
        },
        [this, failure, rebuildAfterFault](const DataFileError& e) {
            busy_ = false;
            // A deletion that failed part way says what became of it.
            const auto* fault = dynamic_cast<const admin::DeletionFault*>(&e);
            InformInTurn({(fault ? Q(fault->headline()) : failure) + QStringLiteral("\n\n") +
                          FileProblemText(e)},
                         [this, rebuildAfterFault] {
                             if (rebuildAfterFault) {
                                 HidePanel();
                                 BuildList();
                             }
                         });
        });
}

// The confirmation is window-modal: while it is open the form takes no click, and one that
// arrives all the same does nothing (busy_).
void FrmData::Delete() {
    if (busy_ || listPending_)
        return;
    busy_ = true;
    messages_.Confirm(this, QStringLiteral("注意"), QStringLiteral("本当に消去しますか"),
                      [this](MessageBoxes::Answer answer) {
                          busy_ = false;
                          if (answer == MessageBoxes::Answer::Ok)
                              DeleteConfirmed();
                      });
}

void FrmData::DeleteConfirmed() {
    ChangeRecord(
        QStringLiteral("記録を消去できませんでした。"), true,
        [this, line = selectedLine_](RecordFileWaiter& waiter) {
            return admin::DeleteListedRecord(RecordFile(), listing_, line, waiter);
        },
        [this] {
            rewrite_->setEnabled(false);
            delete_->setEnabled(false);
            BuildList([this] { SelectLine(admin::LineAfterDeletion(listing_, selectedRecord_)); });
        });
}

void FrmData::Back() {
    if (busy_)
        return;
    busy_ = true;
    cover_->show();
    cover_->raise();
    Q_EMIT closed();
}

}  // namespace kagaku::ui
