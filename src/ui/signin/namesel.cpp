#include "ui/signin/namesel.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>

#include "common/errors.h"
#include "records/aggregation.h"
#include "records/score_record_file.h"
#include "roster/name_list.h"
#include "roster/sign_in.h"
#include "state/level_catalogue.h"
#include "ui/shell/look.h"
#include "ui/shell/services.h"
#include "ui/shell/record_file_task.h"

namespace kagaku::ui {

int namesel::pauseMillisecondsPerSecond = 1000;

namespace {

QString CoverText() {
    return QStringLiteral("Just a moment, please.");
}

}  // namespace

namesel::namesel(Inputs inputs, QWidget* parent) : QWidget(parent), inputs_(inputs) {
    setObjectName("namesel");
    setAttribute(Qt::WA_DeleteOnClose);
    const ProgramSetup& setup = inputs_.setup;
    setWindowTitle(Q(setup.ProgramName));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ColourFromBgr(setup.SeasonColour));
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);

    panel_ = new QFrame(this);
    panel_->setObjectName("Picture6");
    panel_->setFrameShape(QFrame::StyledPanel);
    QPalette panelPalette = panel_->palette();
    panelPalette.setColor(QPalette::Window, QColor(0xF4, 0xF4, 0xF0));
    panel_->setPalette(panelPalette);
    panel_->setAutoFillBackground(true);

    title_ = PlainLabel(Q(setup.ProgramName), panel_);
    title_->setObjectName("Label4");
    title_->setFont(UiFont(64, true));  // 48 points
    title_->setAlignment(Qt::AlignCenter);
    title_->setCursor(Qt::PointingHandCursor);
    title_->installEventFilter(this);

    BuildModes();
    BuildGradeBox();
    BuildNameList();
    BuildChosenName();
    BuildButtons();
    LayOut();
    BuildCover(palette);
}

// Frame1: the four list modes.
void namesel::BuildModes() {
    modeFrame_ = new QFrame(panel_);
    modeFrame_->setObjectName("Frame1");
    auto* modeLayout = new QVBoxLayout(modeFrame_);
    modeLayout->setContentsMargins(0, 0, 0, 0);
    modeLayout->setSpacing(Scaled(6));
    modes_ = new QButtonGroup(this);
    for (int i = 0; i < kListModeCount; ++i) {
        auto* option =
            new QRadioButton(Q(ListModeCaptions()[static_cast<std::size_t>(i)]), modeFrame_);
        option->setObjectName(QStringLiteral("Option1_%1").arg(i));
        option->setFont(UiFont(18));
        option->setFocusPolicy(Qt::NoFocus);
        modes_->addButton(option, i);
        modeButtons_.push_back(option);
        modeLayout->addWidget(option);
    }
    modeButtons_[0]->setChecked(true);
    connect(modes_, &QButtonGroup::idClicked, this, &namesel::OnModeChosen);
}

void namesel::BuildGradeBox() {
    gradeBox_ = new QComboBox(panel_);
    gradeBox_->setObjectName("Combo1");
    gradeBox_->setFont(UiFont(20));
    gradeBox_->setToolTip(QStringLiteral("表示する学年を選びなさい"));
    for (const auto& g : NameScreenGradeChoices())
        gradeBox_->addItem(Q(g));
    gradeBox_->setCurrentText(Q(kAllGrades));
    connect(gradeBox_, &QComboBox::activated, this, [this](int) { OnGradeChosen(); });
    gradeBox_->installEventFilter(this);
}

void namesel::BuildNameList() {
    nameList_ = new QListWidget(panel_);
    nameList_->setObjectName("List1");
    nameList_->setFont(FixedFont(22));
    nameList_->setUniformItemSizes(true);
    nameList_->installEventFilter(this);
    connect(nameList_, &QListWidget::currentRowChanged, this, &namesel::OnListClick);
    // A click on the row already chosen fills the caption again too (after the version dialog
    // has put the prompt back).
    connect(nameList_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { OnListClick(nameList_->row(item)); });
    connect(nameList_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { OnListDoubleClick(nameList_->row(item)); });
}

void namesel::BuildChosenName() {
    chosenName_ = PlainLabel(Q(kChooseNamePrompt), panel_);
    chosenName_->setObjectName("Label1");
    chosenName_->setFont(UiFont(30, true));
    chosenName_->setAlignment(Qt::AlignCenter);
    chosenName_->setFrameShape(QFrame::Panel);
    chosenName_->setFrameShadow(QFrame::Sunken);
    chosenName_->setMinimumHeight(Scaled(52));
}

void namesel::BuildButtons() {
    okButton_ = new QPushButton(QStringLiteral("O.K."), panel_);
    okButton_->setObjectName("Command14");
    okButton_->setFont(UiFont(30, true));
    okButton_->setMinimumSize(Scaled(200), Scaled(64));
    okButton_->setFocusPolicy(Qt::NoFocus);
    connect(okButton_, &QPushButton::clicked, this, &namesel::OnOk);

    exitButton_ = new QPushButton(QStringLiteral("ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)"), panel_);
    exitButton_->setObjectName("Command7");
    exitButton_->setFont(UiFont(18));
    exitButton_->setMinimumHeight(Scaled(44));
    exitButton_->setFocusPolicy(Qt::NoFocus);
    connect(exitButton_, &QPushButton::clicked, this, &namesel::OnExit);
}

// Left: the list; right: the choices, the chosen name and the buttons.
void namesel::LayOut() {
    auto* side = new QVBoxLayout;
    side->setSpacing(Scaled(12));
    side->addWidget(modeFrame_);
    side->addSpacing(Scaled(8));
    side->addWidget(gradeBox_);
    side->addStretch(1);
    side->addWidget(chosenName_);
    side->addWidget(okButton_);
    side->addSpacing(Scaled(16));
    side->addWidget(exitButton_);

    auto* body = new QHBoxLayout;
    body->setSpacing(Scaled(24));
    body->addWidget(nameList_, 3);
    body->addLayout(side, 2);

    auto* panelLayout = new QVBoxLayout(panel_);
    panelLayout->setContentsMargins(Scaled(24), Scaled(12), Scaled(24), Scaled(24));
    panelLayout->setSpacing(Scaled(12));
    panelLayout->addWidget(title_);
    panelLayout->addLayout(body, 1);

    auto* outer = new QGridLayout(this);
    outer->setContentsMargins(Scaled(24), Scaled(24), Scaled(24), Scaled(24));
    outer->addWidget(panel_, 0, 0);
}

// The cover over the whole screen while the list loads and after O.K.
void namesel::BuildCover(const QPalette& palette) {
    cover_ = new QFrame(this);
    cover_->setObjectName("Picture5");
    cover_->setPalette(palette);
    cover_->setAutoFillBackground(true);
    auto* coverText = PlainLabel(CoverText(), cover_);
    coverText->setObjectName("Label19");
    coverText->setFont(UiFont(40, true));
    auto* coverLayout = new QVBoxLayout(cover_);
    coverLayout->addWidget(coverText, 0, Qt::AlignCenter);
    cover_->hide();
}

void namesel::ShowCover(bool shown) {
    if (shown) {
        cover_->setGeometry(rect());
        cover_->raise();
        cover_->show();
    } else {
        cover_->hide();
    }
}

void namesel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        ShowCover(true);
        // The list is read once the screen stands on its cover.
        QTimer::singleShot(0, this, [this] {
            FormLoad();
            Activate();
        });
    }
}

void namesel::FormLoad() {
    // The first activation follows at once and chooses the points mode: the load's list is
    // built in that mode, so the score file is read once on the way in, not twice.
    listMode_ = 1;
    modeButtons_[1]->setChecked(true);
    ShowRoster();
}

// Every time the screen comes to the front: the points mode and a fresh list.
void namesel::Activate() {
    if (ended_)
        return;
    const bool changed = listMode_ != 1 || !modeButtons_[1]->isChecked();
    modeButtons_[1]->setChecked(true);
    if (changed)
        OnModeChosen(1);
    if (ended_)
        return;
    // The box holds each of its twelve entries once; the text it shows stays.
    if (gradeBox_->count() != static_cast<int>(NameScreenGradeChoices().size())) {
        const QString shown = gradeBox_->currentText();
        gradeBox_->clear();
        for (const auto& g : NameScreenGradeChoices())
            gradeBox_->addItem(Q(g));
        gradeBox_->setCurrentText(shown);
    }
    Q_EMIT gradeFilterChosen(kAllGrades);
    ShowPrompt();
    if (!rebuilding_)
        ShowCover(false);
    nameList_->setFocus();
}

// 名簿表示. The lists are emptied first: while the records and the roster are read (and during
// the pauses after a fault) no name stands chosen, so a key or click meanwhile cannot sign in.
// A mode or grade chosen meanwhile starts a newer rebuild; the older one's pause then ends in
// nothing.
void namesel::ShowRoster() {
    const int generation = ++rebuildGeneration_;
    {
        const QSignalBlocker blocker(nameList_);
        nameList_->clear();
    }
    rows_ = NameList{};
    ShowPrompt();
    rebuilding_ = true;
    rebuild_ = NameListRebuild{};
    aggregateFault_.reset();
    // The records are aggregated once per rebuild, before the roster is read; a busy score
    // file is waited for from a timer. An aggregation an older rebuild left waiting goes.
    delete aggregation_.data();
    aggregation_ = RecordFileTask::Start(
        this, inputs_.messages,
        [this](RecordFileWaiter& waiter) {
            AggregateScoreRecords(ScoreRecordPath(inputs_.setup.ProgramDataFolder),
                                  inputs_.setup.Settings, inputs_.clock, inputs_.standing, waiter);
        },
        [this, generation] { TryRoster(generation); },
        [this, generation](const DataFileError& e) {
            aggregateFault_ = e;
            TryRoster(generation);
        });
}

void namesel::TryRoster(int generation) {
    if (ended_ || generation != rebuildGeneration_)
        return;
    std::optional<NameList> built =
        rebuild_.Try(inputs_.setup, inputs_.standing, inputs_.roster, inputs_.clock, listMode_,
                     U(gradeBox_->currentText()));
    if (!built) {
        QTimer::singleShot(NameListRetry::kPauseSeconds * pauseMillisecondsPerSecond, this,
                           [this, generation] { AfterPause(generation); });
        return;
    }
    rebuilding_ = false;
    if (aggregateFault_) {
        End();
        Q_EMIT fileFailed(*aggregateFault_);
        return;
    }
    ShowList(std::move(*built));
}

void namesel::AfterPause(int generation) {
    if (ended_ || generation != rebuildGeneration_)
        return;
    if (std::optional<std::string> message = rebuild_.AfterPause()) {
        rebuilding_ = false;
        End();
        Q_EMIT listGaveUp(Q(*message));
        return;
    }
    TryRoster(generation);
}

void namesel::ShowList(NameList built) {
    {
        const QSignalBlocker blocker(nameList_);
        nameList_->clear();
        for (const auto& row : built.Visible)
            nameList_->addItem(Q(row));
    }
    rows_ = std::move(built);
    nameList_->setCurrentRow(0);
    OnListClick(0);
    if (!ended_)
        ShowCover(false);
}

// After a final fault the program is ending: the screen stays as it stands beneath the message
// and does nothing more.
void namesel::End() {
    ended_ = true;
}

// The prompt stands for no name chosen: O.K. then only sounds the cue.
void namesel::ShowPrompt() {
    chosenName_->setText(Q(kChooseNamePrompt));
    chosenPupil_.reset();
}

void namesel::OnListClick(int row) {
    const std::optional<std::int16_t> pupil = ChosenPupil(rows_, row);
    if (!pupil) {
        ShowPrompt();
        return;
    }
    chosenName_->setText(Q(ClickCaption(rows_.Visible[static_cast<std::size_t>(row)])));
    chosenPupil_ = pupil;
}

void namesel::OnListDoubleClick(int row) {
    const std::optional<std::int16_t> pupil = ChosenPupil(rows_, row);
    if (!pupil) {
        ShowPrompt();
        return;
    }
    chosenName_->setText(Q(DoubleClickCaption(rows_.Visible[static_cast<std::size_t>(row)])));
    chosenPupil_ = pupil;
    OnOk();
}

// O.K. hides once a sign-in has begun, so a second click, key or double click starts nothing.
void namesel::OnOk() {
    if (ended_ || okButton_->isHidden())
        return;
    if (!chosenPupil_) {
        // The screen goes on while the cue plays; a second O.K. meanwhile plays it anew.
        inputs_.cues.PlayNoNameSound(CuePlayer::Ended{});
        return;
    }
    okButton_->hide();
    ShowCover(true);
    cover_->repaint();
    Q_EMIT signedIn(*chosenPupil_);
}

void namesel::OnExit() {
    if (rebuilding_ || ended_)
        return;  // the list is being read; the program leaves once it stands
    Q_EMIT leaveAsked();
}

void namesel::OnModeChosen(int index) {
    listMode_ = index;
    ShowRoster();
}

void namesel::OnGradeChosen() {
    Q_EMIT gradeFilterChosen(U(gradeBox_->currentText()));
    ShowRoster();
    nameList_->setFocus();
}

bool namesel::HandleKey(QKeyEvent* event) {
    if (ended_)
        return true;
    const QString text = event->text();
    char32_t key = 0;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        key = U'\r';
    } else if (text.size() == 1) {
        key = text.at(0).unicode();
    }
    if (key == 0)
        return false;
    switch (NameScreenKeyAction(key, okButton_->isVisible(), exitButton_->isVisible(),
                                nameList_->hasFocus())) {
        case NameScreenKey::Confirm:
            OnOk();
            return true;
        case NameScreenKey::ExitToMenuProgram:
            OnExit();
            return true;
        case NameScreenKey::None:
            return false;
    }
    return false;
}

// The form sees key presses before its controls; a click on the title asks for the version
// dialog (the program brings the screen back to the front with Activate once it is closed).
bool namesel::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == nameList_ || watched == gradeBox_) && event->type() == QEvent::KeyPress) {
        if (HandleKey(static_cast<QKeyEvent*>(event)))
            return true;
    }
    if (watched == title_ && event->type() == QEvent::MouseButtonRelease) {
        if (!ended_)
            Q_EMIT versionAsked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void namesel::keyPressEvent(QKeyEvent* event) {
    if (HandleKey(event))
        return;
    QWidget::keyPressEvent(event);
}

}  // namespace kagaku::ui
