#include "ui/drill/mainfrm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/text_ops.h"
#include "drill/give_up.h"
#include "drill/run_frame.h"
#include "mistakes/mistake_notes.h"
#include "state/level_catalogue.h"
#include "ui/drill/formula_view.h"
#include "ui/shell/look.h"
#include "sound/cue_player.h"
#include "ui/drill/time_bar_view.h"
#include "ui/shell/services.h"

namespace kagaku::ui {

namespace {

// The season's colour; a light green when none has been picked (a screen started directly).
QColor ScreenColour(std::uint32_t bgr) {
    return bgr == 0 ? QColor(0xC0, 0xFF, 0xC0) : ColourFromBgr(bgr);
}

// The width the run clock measures its bar in; the bar widget scales it to its pixels.
constexpr double kBarUnits = 1000.0;

QPushButton* Button(const QString& caption, const char* name, int fontSize, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFont(UiFont(fontSize, true));
    button->setMinimumSize(Scaled(150), Scaled(56));
    // Enter presses the button that has the focus, as the space bar does.
    button->setAutoDefault(true);
    return button;
}

QLabel* Text(const QString& text, const char* name, int fontSize, bool bold, QWidget* parent) {
    auto* label = PlainLabel(text, parent);
    label->setObjectName(name);
    label->setFont(UiFont(fontSize, bold));
    return label;
}

std::optional<DrillKey> DrillKeyOf(int key) {
    switch (key) {
        case Qt::Key_Right:
            return DrillKey::RightArrow;
        case Qt::Key_F7:
            return DrillKey::F7;
        case Qt::Key_F8:
            return DrillKey::F8;
        case Qt::Key_F9:
            return DrillKey::F9;
        case Qt::Key_F10:
            return DrillKey::F10;
        default:
            return std::nullopt;
    }
}

}  // namespace

MainFrm::MainFrm(int level, ProblemSet problems, const ProgramSetup& setup,
                 const SignedIn& signIn, MistakesOfRun& mistakes, DrillServices services)
    : setup_(setup),
      signIn_(signIn),
      mistakes_(mistakes),
      services_(services),
      problems_(std::move(problems)) {
    run_.CurrentLevel = static_cast<std::int16_t>(level);
    setObjectName("MainFrm");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Q(setup_.SchoolName));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ScreenColour(setup_.SeasonColour));
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Scaled(40), Scaled(20), Scaled(40), Scaled(20));
    layout->setSpacing(Scaled(8));
    layout->addLayout(BuildHeading());
    layout->addWidget(BuildQuestion());
    layout->addLayout(BuildProgress());
    answerView_ = new FormulaView(this);
    answerView_->setObjectName("Picture1");
    layout->addWidget(answerView_);
    layout->addWidget(BuildCorrection());
    layout->addStretch(1);
    layout->addLayout(BuildButtonRow());
    layout->addSpacing(Scaled(8));
    layout->addLayout(BuildClockRow());
    BuildCover();
    ConnectControls();

    // Every key reaches the drill, whichever control has the focus.
    qApp->installEventFilter(this);
}

// The heading: program, level, pupil and the give-up button.
QLayout* MainFrm::BuildHeading() {
    programLabel_ = Text(QString(), "sLabel2", 26, true, this);
    auto* levelCaption = Text(QStringLiteral("レベル"), "LevelCaption", 24, false, this);
    levelLabel_ = Text(QString(), "Label6", 30, true, this);
    pupilLabel_ = Text(QString(), "Label5", 26, true, this);
    giveUpButton_ = Button(QStringLiteral("ギブアップ"), "Command10", 20, this);
    giveUpButton_->setFocusPolicy(Qt::NoFocus);
    auto* heading = new QHBoxLayout;
    heading->addWidget(programLabel_);
    heading->addSpacing(Scaled(30));
    heading->addWidget(levelCaption);
    heading->addWidget(levelLabel_);
    heading->addSpacing(Scaled(30));
    heading->addWidget(pupilLabel_);
    heading->addStretch(1);
    heading->addWidget(giveUpButton_);
    return heading;
}

QWidget* MainFrm::BuildQuestion() {
    questionLabel_ = Text(QString(), "Label3", 36, true, this);
    questionLabel_->setWordWrap(true);
    questionLabel_->setMinimumHeight(Scaled(96));
    questionLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return questionLabel_;
}

// The repeat notice and the problems left.
QLayout* MainFrm::BuildProgress() {
    repeatLabel_ = Text(QString(), "Label4", 24, false, this);
    auto* leftCaption = Text(QStringLiteral("のこり"), "RemainingCaption", 24, false, this);
    remainingLabel_ = Text(QString(), "Label7", 30, true, this);
    auto* leftUnit = Text(QStringLiteral("問"), "RemainingUnit", 24, false, this);
    auto* progress = new QHBoxLayout;
    progress->addWidget(repeatLabel_);
    progress->addStretch(1);
    progress->addWidget(leftCaption);
    progress->addWidget(remainingLabel_);
    progress->addWidget(leftUnit);
    return progress;
}

// The correction under the answer: its caption, the correct answer and "次へ". It keeps its
// room while hidden, so the screen does not move when it appears.
QWidget* MainFrm::BuildCorrection() {
    correctionPanel_ = new QWidget(this);
    correctionPanel_->setObjectName("Correction");
    auto* caption =
        Text(QStringLiteral("正しい答え"), "CorrectionCaption", 24, true, correctionPanel_);
    caption->setStyleSheet("color: #C00000;");
    correctAnswerView_ = new FormulaView(correctionPanel_);
    correctAnswerView_->setObjectName("Picture2");
    correctionNextButton_ = Button(QStringLiteral("次へ"), "Command5", 28, correctionPanel_);
    auto* correctionLayout = new QGridLayout(correctionPanel_);
    correctionLayout->setContentsMargins(0, 0, 0, 0);
    correctionLayout->addWidget(caption, 0, 0);
    correctionLayout->addWidget(correctAnswerView_, 1, 0);
    correctionLayout->addWidget(correctionNextButton_, 1, 1, Qt::AlignBottom);
    QSizePolicy keep = correctionPanel_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    correctionPanel_->setSizePolicy(keep);
    correctionPanel_->hide();
    return correctionPanel_;
}

// The charge buttons (levels 8 and 10) and the practice buttons (odd levels) share a row.
QLayout* MainFrm::BuildButtonRow() {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (int i = 0; i < kChargeButtons; ++i) {
        auto* column = new QVBoxLayout;
        auto* b = Button(QString::fromLatin1(kChargeButtonCaptions[i]),
                         qPrintable(QStringLiteral("Label1_%1").arg(i)), 34, this);
        b->setMinimumSize(Scaled(110), Scaled(60));
        b->setFocusPolicy(Qt::NoFocus);
        auto* hint = Text(QString::fromLatin1(kChargeKeyHints[i]),
                          qPrintable(QStringLiteral("Label2_%1").arg(i)), 20, false, this);
        hint->setAlignment(Qt::AlignHCenter);
        column->addWidget(b);
        column->addWidget(hint);
        buttons->addLayout(column);
        chargeButtons_[static_cast<std::size_t>(i)] = b;
        chargeHints_[static_cast<std::size_t>(i)] = hint;
        b->hide();
        hint->hide();
        connect(b, &QPushButton::clicked, this, [this, i] { ChargeButtonClicked(i); });
    }
    practiceNextButton_ = Button(QStringLiteral("次へ"), "Command6", 26, this);
    showAnswerButton_ = Button(QStringLiteral("答え表示"), "Command7", 26, this);
    learntButton_ = Button(QStringLiteral("覚えた"), "Command9", 26, this);
    endPracticeButton_ = Button(QStringLiteral("練習終わり"), "Command8", 26, this);
    for (QPushButton* b :
         {showAnswerButton_, practiceNextButton_, learntButton_, endPracticeButton_}) {
        buttons->addWidget(b);
        b->hide();
    }
    buttons->addStretch(1);
    return buttons;
}

// The clock and the time bar.
QLayout* MainFrm::BuildClockRow() {
    clockLabel_ = Text(QString(), "Label8", 40, true, this);
    clockLabel_->setMinimumWidth(Scaled(110));
    clockLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* secondsUnit = Text(QStringLiteral("秒"), "SecondsUnit", 24, false, this);
    timeBar_ = new TimeBarView(this);
    timeBar_->setObjectName("TimeBar");
    auto* clockRow = new QHBoxLayout;
    clockRow->addWidget(clockLabel_);
    clockRow->addWidget(secondsUnit);
    clockRow->addSpacing(Scaled(16));
    clockRow->addWidget(timeBar_, 1);
    return clockRow;
}

// The cover over the whole screen at the end of a run.
void MainFrm::BuildCover() {
    cover_ = new QWidget(this);
    cover_->setObjectName("sPicture2");
    cover_->setAutoFillBackground(true);
    QPalette coverPalette = cover_->palette();
    coverPalette.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xF0));
    cover_->setPalette(coverPalette);
    recordingNotice_ = Text(QStringLiteral("成績記録中"), "lblsss1", 64, true, cover_);
    timeUpNotice_ = Text(QStringLiteral("時間切れ"), "lblsss2", 64, true, cover_);
    timeUpNotice_->setStyleSheet("color: #C00000;");
    auto* coverLayout = new QVBoxLayout(cover_);
    coverLayout->addWidget(recordingNotice_, 0, Qt::AlignCenter);
    coverLayout->addWidget(timeUpNotice_, 0, Qt::AlignCenter);
    cover_->hide();
}

void MainFrm::ConnectControls() {
    connect(correctionNextButton_, &QPushButton::clicked, this,
            &MainFrm::ContinueAfterCorrection);
    connect(practiceNextButton_, &QPushButton::clicked, this, &MainFrm::PracticeNext);
    connect(showAnswerButton_, &QPushButton::clicked, this, &MainFrm::PracticeShowAnswer);
    connect(endPracticeButton_, &QPushButton::clicked, this, &MainFrm::PracticeEnd);
    connect(learntButton_, &QPushButton::clicked, this, &MainFrm::PracticeLearnt);
    connect(giveUpButton_, &QPushButton::clicked, this, &MainFrm::GiveUpClicked);

    clockTimer_.setObjectName("sTimer1");
    clockTimer_.setInterval(1000);
    connect(&clockTimer_, &QTimer::timeout, this, &MainFrm::OnClockTick);
}

MainFrm::~MainFrm() {
    qApp->removeEventFilter(this);
}

std::filesystem::path MainFrm::GiveUpLog() const {
    return GiveUpLogPath(setup_.ProgramDataFolder, signIn_.PupilNumber);
}

void MainFrm::Activate() {
    const int level = run_.CurrentLevel;
    const auto slot = static_cast<std::size_t>(level);

    const GiveUpButtonState giveUp = GiveUpButtonFor(GiveUpLog(), services_.clock.TodayDate());
    giveUpButton_->setText(Q(giveUp.caption));
    giveUpButton_->setEnabled(giveUp.enabled);

    const bool timed = setup_.LevelTimed[slot] == 1;
    runClock_ = std::make_unique<RunClock>(timed, setup_.Settings.TargetTime[slot],
                                           setup_.Settings.MinimumTime[slot], kBarUnits);
    run_.TimeLimit = runClock_->TimeLimit();
    run_.TimeBarScale = runClock_->Bar().scale;
    clockLabel_->setText(Q(runClock_->InitialCaption()));
    timeBar_->SetBar(runClock_->Bar(), timed);

    levelLabel_->setText(QString::number(level));
    programLabel_->setText(Q(setup_.ProgramName));
    pupilLabel_->setText(Q(text::Trim(signIn_.PupilName)));

    const bool chargeButtons = ShowsChargeButtons(level);
    for (int i = 0; i < kChargeButtons; ++i) {
        chargeButtons_[static_cast<std::size_t>(i)]->setVisible(chargeButtons);
        chargeHints_[static_cast<std::size_t>(i)]->setVisible(chargeButtons);
    }

    if (IsPracticeLevel(setup_.LevelNames[slot])) {
        practice_ = std::make_unique<PracticeSession>(problems_);
        clockLabel_->setText(QStringLiteral("---"));
        endPracticeButton_->show();
        PracticeNext();
        return;
    }
    drill_ = std::make_unique<TimedDrill>(problems_, services_.random);
    run_.ProblemCount = static_cast<std::int16_t>(drill_->ProblemCount());
    drill_->Start();
    ShowQuestion();
    runClock_->Start(services_.clock.MonotonicMs());
    clockTimer_.start();
}

void MainFrm::ShowQuestion() {
    questionLabel_->setText(Q(drill_->QuestionCaption()));
    repeatLabel_->setText(Q(drill_->RepeatCaption()));
    remainingLabel_->setText(Q(drill_->RemainingCaption()));
    answerView_->SetFormula(drill_->ComposedAnswer());
    correctAnswerView_->SetFormula(drill_->CorrectAnswer());
    correctionPanel_->setVisible(drill_->ShowingCorrection());
    layout()->activate();
}

bool MainFrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this || !isVisible())
        return false;
    return HandleKey(static_cast<QKeyEvent*>(event));
}

bool MainFrm::HandleKey(QKeyEvent* event) {
    // Practice is driven by its buttons; the keys work them as usual.
    if (drill_ == nullptr)
        return false;
    // Keys do nothing while the run ends, nor while a right answer's cue plays: the next
    // question is not on screen yet, so a reflex key must not answer it.
    if (done_ || run_.RunEnding == 1 || awaitingNextQuestion_)
        return true;
    const int key = event->key();
    if (drill_->ShowingCorrection()) {
        // Only "次へ" goes on (the space bar presses it, as it presses any focused button);
        // letters, Enter and the function keys are ignored, so a reflex Enter cannot skip the
        // correction.
        if (key == Qt::Key_Space && correctionNextButton_->hasFocus())
            correctionNextButton_->click();
        return true;
    }
    TimedDrill::Outcome outcome = TimedDrill::Outcome::Ignored;
    if (const auto drillKey = DrillKeyOf(key)) {
        outcome = drill_->OnKey(*drillKey);
    } else if (key == Qt::Key_Backspace) {
        outcome = drill_->OnCharacter(kBackspaceChar);
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        outcome = drill_->OnCharacter(kEnterChar);
    } else if (!event->text().isEmpty()) {
        outcome = drill_->OnCharacter(event->text().toUcs4().value(0));
    }
    HandleOutcome(outcome);
    return true;
}

void MainFrm::ChargeButtonClicked(int index) {
    if (drill_ == nullptr || done_ || run_.RunEnding == 1 || awaitingNextQuestion_)
        return;
    HandleOutcome(drill_->OnChargeButton(index));
}

void MainFrm::HandleOutcome(TimedDrill::Outcome outcome) {
    switch (outcome) {
        case TimedDrill::Outcome::Ignored:
            return;
        case TimedDrill::Outcome::AnswerChanged:
            answerView_->SetFormula(drill_->ComposedAnswer());
            return;
        case TimedDrill::Outcome::Correct:
            AnsweredRight();
            return;
        case TimedDrill::Outcome::Wrong:
            AnsweredWrong();
            return;
    }
}

void MainFrm::AnsweredRight() {
    run_.CompletedCount = drill_->CompletedCount();
    const bool complete = drill_->AllDone();
    if (complete) {
        // The run is complete at its last answer: its time is taken now and no later tick
        // can time it out while the cue plays.
        clockTimer_.stop();
        run_.ElapsedSeconds = runClock_->ElapsedSeconds(services_.clock.MonotonicMs());
        timeTaken_ = true;
    }
    // The answered question stays on screen while the cue plays; the next comes at its end.
    awaitingNextQuestion_ = true;
    PlayAnswerCue(true, [this, complete] {
        awaitingNextQuestion_ = false;
        if (complete || endDue_) {
            EndRunWhenFree();
            return;
        }
        ShowQuestion();
    });
}

void MainFrm::AnsweredWrong() {
    const MistakeLogPlace place{setup_.ProgramDataFolder, signIn_.PupilNumber, run_.CurrentLevel};
    if (const auto note = NoteWrongAnswer(mistakes_, place, *drill_, services_.clock))
        qWarning("%s", note->c_str());  // once per run; the drill goes on
    // The correction shows at once and stays until "次へ", which works while the cue plays.
    correctAnswerView_->SetFormula(drill_->CorrectAnswer());
    correctionPanel_->show();
    correctionNextButton_->setFocus();
    repaint();
    PlayAnswerCue(false, [this] {
        if (endDue_)
            EndRunWhenFree();
    });
}

void MainFrm::PlayAnswerCue(bool right, std::function<void()> ended) {
    ++cuesPlaying_;
    // The cue may end after this screen has gone (the player belongs to the program).
    QPointer<MainFrm> self(this);
    CuePlayer::Ended atEnd = [self, ended = std::move(ended)] {
        if (!self)
            return;
        --self->cuesPlaying_;
        if (self->done_ || self->run_.RunEnding == 1)
            return;
        ended();
    };
    if (right)
        services_.cues.PlayCorrectSound(std::move(atEnd));
    else
        services_.cues.PlayWrongSound(std::move(atEnd));
}

void MainFrm::ContinueAfterCorrection() {
    if (drill_ == nullptr || !drill_->ShowingCorrection() || done_ || run_.RunEnding == 1)
        return;
    drill_->ContinueAfterCorrection();
    correctionPanel_->hide();
    if (drill_->AllDone()) {
        EndRunWhenFree();
        return;
    }
    ShowQuestion();
    setFocus();
}

void MainFrm::OnClockTick() {
    if (runClock_ == nullptr || done_ || run_.RunEnding == 1 || timeTaken_)
        return;
    const RunClock::Tick tick = runClock_->OnTick(services_.clock.MonotonicMs());
    run_.ElapsedSeconds = tick.elapsedSeconds;
    clockLabel_->setText(Q(tick.caption));
    if (tick.timedOut)
        run_.TimedOut = 1;
    timeBar_->SetElapsedWidth(tick.elapsedWidth);
    if (tick.limitReached)
        EndRunWhenFree();
}

void MainFrm::EndRunWhenFree() {
    if (giveUpOpen_ || cuesPlaying_ > 0) {
        // The clock goes on counting; the run ends once the message is answered or the cue
        // has ended.
        endDue_ = true;
        return;
    }
    EndRun();
}

void MainFrm::EndRun() {
    if (done_ || run_.RunEnding == 1)
        return;  // the run is already ending
    run_.RunEnding = 1;
    endDue_ = false;
    // The clock stops first, so a late tick can neither change the time nor time out a run
    // that was completed.
    clockTimer_.stop();
    // The time of a completed run is read now, not at the last tick.
    if (runClock_ != nullptr && run_.TimedOut != 1 && !timeTaken_)
        run_.ElapsedSeconds = runClock_->ElapsedSeconds(services_.clock.MonotonicMs());

    cover_->setGeometry(rect());
    recordingNotice_->setVisible(run_.TimedOut != 1);
    timeUpNotice_->setVisible(run_.TimedOut == 1);
    cover_->show();
    cover_->raise();
    cover_->repaint();
    done_ = true;
    Q_EMIT runFinished(run_);
}

void MainFrm::PracticeNext() {
    practice_->Next();
    ShowPractice();
}

void MainFrm::PracticeShowAnswer() {
    practice_->ShowAnswer();
    const MistakeLogPlace place{setup_.ProgramDataFolder, signIn_.PupilNumber, run_.CurrentLevel};
    if (const auto note = NoteRevealedAnswer(mistakes_, place, *practice_, services_.clock))
        qWarning("%s", note->c_str());  // once per run; the practice goes on
    ShowPractice();
}

void MainFrm::PracticeLearnt() {
    if (practice_->MarkLearnt()) {
        PracticeEnd();
        return;
    }
    ShowPractice();
}

void MainFrm::PracticeEnd() {
    if (done_)
        return;
    done_ = true;
    Q_EMIT practiceEnded();
}

void MainFrm::ShowPractice() {
    using B = PracticeSession::Button;
    questionLabel_->setText(Q(practice_->QuestionCaption()));
    repeatLabel_->clear();
    remainingLabel_->setText(Q(practice_->RemainingCaption()));
    answerView_->SetFormula(practice_->ShownAnswer());
    practiceNextButton_->setVisible(practice_->IsVisible(B::Next));
    showAnswerButton_->setVisible(practice_->IsVisible(B::ShowAnswer));
    learntButton_->setVisible(practice_->IsVisible(B::Learnt));
    (practice_->Focus() == B::Next ? practiceNextButton_ : showAnswerButton_)->setFocus();
    layout()->activate();
}

void MainFrm::GiveUpClicked() {
    if (done_ || run_.RunEnding == 1 || giveUpOpen_)
        return;
    const GiveUpOutcome outcome = GiveUp(GiveUpLog(), services_.clock.TodayDate());
    // The clock keeps counting while a message is open, but the run cannot end beneath it: a
    // run given up meanwhile records nothing, and one that goes on ends once it is answered.
    giveUpOpen_ = true;
    ShowGiveUpMessages(std::make_shared<const std::vector<std::string>>(outcome.messages), 0,
                       outcome.givenUp);
}

void MainFrm::ShowGiveUpMessages(std::shared_ptr<const std::vector<std::string>> messages,
                                 std::size_t next, bool givenUp) {
    if (next < messages->size()) {
        const QString text = Q((*messages)[next]);
        // The box goes with this screen: its answer never comes to a deleted screen.
        services_.messages.Inform(this, Q(setup_.ProgramName), text,
                                  [this, messages, next, givenUp] {
                                      ShowGiveUpMessages(messages, next + 1, givenUp);
                                  });
        return;
    }
    giveUpOpen_ = false;
    if (done_)
        return;  // the screen has gone meanwhile
    if (givenUp) {
        done_ = true;
        clockTimer_.stop();
        Q_EMIT runGivenUp();
        return;
    }
    if (endDue_)
        EndRunWhenFree();
}

void MainFrm::closeEvent(QCloseEvent* event) {
    clockTimer_.stop();
    done_ = true;
    QWidget::closeEvent(event);
}

}  // namespace kagaku::ui
