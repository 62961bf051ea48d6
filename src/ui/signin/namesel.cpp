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
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>

#include "common/errors.h"
#include "records/aggregation.h"
#include "roster/name_list.h"
#include "roster/sign_in.h"
#include "state/level_catalogue.h"
#include "ui/shell/look.h"
#include "ui/shell/program.h"
#include "ui/shell/screen_record_waiter.h"

namespace kagaku::ui {

int namesel::pauseMillisecondsPerSecond = 1000;

namespace {

QString CoverText() {
    return QStringLiteral("Just a moment, please.");
}

}  // namespace

namesel::namesel(Program& program) : program_(program) {
    setObjectName("namesel");
    DeleteOnCloseWhenIdle(this);
    setWindowTitle(Q(program_.setup().ProgramName));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ColourFromBgr(program_.setup().SeasonColour));
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

    title_ = PlainLabel(Q(program_.setup().ProgramName), panel_);
    title_->setObjectName("Label4");
    title_->setFont(UiFont(64, true));  // 48 points
    title_->setAlignment(Qt::AlignCenter);
    title_->setCursor(Qt::PointingHandCursor);
    title_->installEventFilter(this);

    auto* modeFrame = new QFrame(panel_);
    modeFrame->setObjectName("Frame1");
    auto* modeLayout = new QVBoxLayout(modeFrame);
    modeLayout->setContentsMargins(0, 0, 0, 0);
    modeLayout->setSpacing(Scaled(6));
    modes_ = new QButtonGroup(this);
    for (int i = 0; i < kListModeCount; ++i) {
        auto* option =
            new QRadioButton(Q(ListModeCaptions()[static_cast<std::size_t>(i)]), modeFrame);
        option->setObjectName(QStringLiteral("Option1_%1").arg(i));
        option->setFont(UiFont(18));
        option->setFocusPolicy(Qt::NoFocus);
        modes_->addButton(option, i);
        modeButtons_.push_back(option);
        modeLayout->addWidget(option);
    }
    modeButtons_[0]->setChecked(true);
    connect(modes_, &QButtonGroup::idClicked, this, &namesel::OnModeChosen);

    grades_ = new QComboBox(panel_);
    grades_->setObjectName("Combo1");
    grades_->setFont(UiFont(20));
    grades_->setToolTip(QStringLiteral("表示する学年を選びなさい"));
    for (const auto& g : NameScreenGradeChoices())
        grades_->addItem(Q(g));
    grades_->setCurrentText(Q(kAllGrades));
    connect(grades_, &QComboBox::activated, this, [this](int) { OnGradeChosen(); });
    grades_->installEventFilter(this);

    list_ = new QListWidget(panel_);
    list_->setObjectName("List1");
    list_->setFont(FixedFont(22));
    list_->setUniformItemSizes(true);
    list_->installEventFilter(this);
    connect(list_, &QListWidget::currentRowChanged, this, &namesel::OnListClick);
    // A click on the row already chosen fills the caption again too (after the version dialog
    // has put the prompt back).
    connect(list_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { OnListClick(list_->row(item)); });
    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { OnListDoubleClick(list_->row(item)); });

    chosen_ = PlainLabel(Q(kChooseNamePrompt), panel_);
    chosen_->setObjectName("Label1");
    chosen_->setFont(UiFont(30, true));
    chosen_->setAlignment(Qt::AlignCenter);
    chosen_->setFrameShape(QFrame::Panel);
    chosen_->setFrameShadow(QFrame::Sunken);
    chosen_->setMinimumHeight(Scaled(52));

    ok_ = new QPushButton(QStringLiteral("O.K."), panel_);
    ok_->setObjectName("Command14");
    ok_->setFont(UiFont(30, true));
    ok_->setMinimumSize(Scaled(200), Scaled(64));
    ok_->setFocusPolicy(Qt::NoFocus);
    connect(ok_, &QPushButton::clicked, this, &namesel::OnOk);

    exit_ = new QPushButton(QStringLiteral("ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)"), panel_);
    exit_->setObjectName("Command7");
    exit_->setFont(UiFont(18));
    exit_->setMinimumHeight(Scaled(44));
    exit_->setFocusPolicy(Qt::NoFocus);
    connect(exit_, &QPushButton::clicked, this, &namesel::OnExit);

    // Left: the list; right: the choices, the chosen name and the buttons.
    auto* side = new QVBoxLayout;
    side->setSpacing(Scaled(12));
    side->addWidget(modeFrame);
    side->addSpacing(Scaled(8));
    side->addWidget(grades_);
    side->addStretch(1);
    side->addWidget(chosen_);
    side->addWidget(ok_);
    side->addSpacing(Scaled(16));
    side->addWidget(exit_);

    auto* body = new QHBoxLayout;
    body->setSpacing(Scaled(24));
    body->addWidget(list_, 3);
    body->addLayout(side, 2);

    auto* panelLayout = new QVBoxLayout(panel_);
    panelLayout->setContentsMargins(Scaled(24), Scaled(12), Scaled(24), Scaled(24));
    panelLayout->setSpacing(Scaled(12));
    panelLayout->addWidget(title_);
    panelLayout->addLayout(body, 1);

    auto* outer = new QGridLayout(this);
    outer->setContentsMargins(Scaled(24), Scaled(24), Scaled(24), Scaled(24));
    outer->addWidget(panel_, 0, 0);

    // The cover over the whole screen while the list loads and after O.K.
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
        // The timer carries no receiver: the screen may be closed while the lambda runs.
        QPointer<namesel> screen(this);
        QTimer::singleShot(0, [screen] {
            const QPointer<namesel> self = screen;
            if (IsClosed(self))
                return;
            self->FormLoad();
            if (!IsClosed(self))
                self->FormActivate();
        });
    }
}

void namesel::FormLoad() {
    // The first activation follows at once and chooses the points mode: the load's list is
    // built in that mode, so the score file is read once on the way in, not twice.
    listMode_ = 1;
    modeButtons_[1]->setChecked(true);
    ShowRoster();
    // After a final fault the program is ending and this screen is being closed.
    if (ended_)
        return;
    if (list_->count() > 0)
        list_->setCurrentRow(0);
    QPointer<namesel> self(this);
    PumpEvents();
    if (IsClosed(self) || ended_)
        return;
    ShowCover(false);
}

// Every time the screen comes to the front: the points mode and a fresh list.
void namesel::FormActivate() {
    if (ended_)
        return;
    QPointer<namesel> self(this);
    PumpEvents();
    if (IsClosed(self) || ended_)
        return;
    const bool changed = listMode_ != 1 || !modeButtons_[1]->isChecked();
    modeButtons_[1]->setChecked(true);
    if (changed)
        OnModeChosen(1);
    if (IsClosed(self) || ended_)
        return;
    // The box holds each of its twelve entries once; the text it shows stays.
    if (grades_->count() != static_cast<int>(NameScreenGradeChoices().size())) {
        const QString shown = grades_->currentText();
        grades_->clear();
        for (const auto& g : NameScreenGradeChoices())
            grades_->addItem(Q(g));
        grades_->setCurrentText(shown);
    }
    program_.board().GradeFilterText = Variant(kAllGrades);
    PumpEvents();
    if (IsClosed(self) || ended_)
        return;
    ShowPrompt();
    ShowCover(false);
    list_->setFocus();
}

void namesel::ShowRoster() {
    // The lists are emptied first: while the records and the roster are read (and during the
    // pauses after a fault) no name stands chosen, so a key or click meanwhile cannot sign in.
    const int generation = ++rebuildGeneration_;
    {
        const QSignalBlocker blocker(list_);
        list_->clear();
    }
    rows_ = NameList{};
    ShowPrompt();
    ++rebuildsRunning_;
    QPointer<namesel> self(this);
    std::optional<DataFileError> aggregateFault;
    ScreenRecordFileWaiter waiter(program_.messages(), this);
    auto aggregate = [&] {
        try {
            program_.RebuildStanding(waiter);
        } catch (const DataFileError& e) {
            aggregateFault = e;
        }
        PumpEvents();
    };
    auto pause = [](int seconds) { WaitKeepingScreenAlive(seconds * pauseMillisecondsPerSecond); };
    NameList built;
    try {
        built = RebuildNameListWithRetry(program_.setup(), program_.standing(), program_.roster(),
                                         program_.clock(), listMode_,
                                         U(grades_->currentText()), aggregate, pause);
    } catch (const NameListGaveUp& e) {
        if (IsClosed(self))
            return;
        --rebuildsRunning_;
        ended_ = true;
        program_.EndWithMessage(this, Q(e.what()), 1);
        return;
    }
    if (IsClosed(self))
        return;  // the screen went while the list was read
    --rebuildsRunning_;
    if (ended_)
        return;
    // A mode or grade chosen while this list was read started a newer rebuild, whose list
    // stands; this older one is dropped.
    if (generation != rebuildGeneration_)
        return;
    if (aggregateFault) {
        ended_ = true;
        program_.EndWithFileError(*aggregateFault, this);
        return;
    }
    const QSignalBlocker blocker(list_);
    list_->clear();
    for (const auto& row : built.Visible)
        list_->addItem(Q(row));
    rows_ = std::move(built);
    list_->setCurrentRow(0);
    OnListClick(0);
}

// The prompt stands for no name chosen: O.K. then only sounds the cue.
void namesel::ShowPrompt() {
    chosen_->setText(Q(kChooseNamePrompt));
    chosenPupil_.reset();
}

void namesel::OnListClick(int row) {
    const std::optional<std::int16_t> pupil = ChosenPupil(rows_, row);
    if (!pupil) {
        ShowPrompt();
        return;
    }
    chosen_->setText(Q(ClickCaption(rows_.Visible[static_cast<std::size_t>(row)])));
    chosenPupil_ = pupil;
}

void namesel::OnListDoubleClick(int row) {
    const std::optional<std::int16_t> pupil = ChosenPupil(rows_, row);
    if (!pupil) {
        ShowPrompt();
        return;
    }
    chosen_->setText(Q(DoubleClickCaption(rows_.Visible[static_cast<std::size_t>(row)])));
    chosenPupil_ = pupil;
    OnOk();
}

void namesel::OnOk() {
    if (ConfirmSignIn(program_.signIn(), program_.roster(), chosenPupil_, program_.clock()) == SignInResult::NoNameChosen) {
        program_.cues().PlayNoNameSound();
        return;
    }
    ok_->hide();
    ShowCover(true);
    PumpEvents();
    program_.BuildLevelCatalogue();
    program_.ShowLevelMenu();
}

void namesel::OnExit() {
    if (rebuildsRunning_ > 0)
        return;  // the list is being read; the program leaves once it stands
    program_.LeaveForMenuProgram(this);
}

void namesel::OnModeChosen(int index) {
    listMode_ = index;
    ShowRoster();
}

void namesel::OnGradeChosen() {
    program_.board().GradeFilterText = Variant(U(grades_->currentText()));
    ShowRoster();
    list_->setFocus();
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
    switch (NameScreenKeyAction(key, ok_->isVisible(), exit_->isVisible(), list_->hasFocus())) {
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

// The form sees key presses before its controls; a click on the title opens the version dialog.
bool namesel::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == list_ || watched == grades_) && event->type() == QEvent::KeyPress) {
        if (HandleKey(static_cast<QKeyEvent*>(event)))
            return true;
    }
    if (watched == title_ && event->type() == QEvent::MouseButtonRelease) {
        program_.ShowVersionDialog(this);
        FormActivate();
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
