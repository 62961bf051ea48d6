#include "ui/drill/mainfrm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/errors.h"
#include "common/text_ops.h"
#include "drill/give_up.h"
#include "drill/run_frame.h"
#include "mistakes/mistake_notes.h"
#include "records/finished_run.h"
#include "state/level_catalogue.h"
#include "ui/drill/formula_view.h"
#include "ui/shell/look.h"
#include "ui/shell/program.h"
#include "ui/shell/screen_record_waiter.h"
#include "ui/shell/services.h"
#include "ui/drill/time_bar_view.h"

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

MainFrm::MainFrm(Program& program, ProblemSet problems)
    : program_(program), problems_(std::move(problems)) {
    setObjectName("MainFrm");
    DeleteOnCloseWhenIdle(this);
    setWindowTitle(Q(program_.setup().SchoolName));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ScreenColour(program_.setup().SeasonColour));
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);

    // The heading: program, level, pupil and the give-up button.
    sLabel2_ = Text(QString(), "sLabel2", 26, true, this);
    auto* levelCaption = Text(QStringLiteral("レベル"), "LevelCaption", 24, false, this);
    label6_ = Text(QString(), "Label6", 30, true, this);
    label5_ = Text(QString(), "Label5", 26, true, this);
    command10_ = Button(QStringLiteral("ギブアップ"), "Command10", 20, this);
    command10_->setFocusPolicy(Qt::NoFocus);
    auto* heading = new QHBoxLayout;
    heading->addWidget(sLabel2_);
    heading->addSpacing(Scaled(30));
    heading->addWidget(levelCaption);
    heading->addWidget(label6_);
    heading->addSpacing(Scaled(30));
    heading->addWidget(label5_);
    heading->addStretch(1);
    heading->addWidget(command10_);

    // The question and its progress.
    label3_ = Text(QString(), "Label3", 36, true, this);
    label3_->setWordWrap(true);
    label3_->setMinimumHeight(Scaled(96));
    label3_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label4_ = Text(QString(), "Label4", 24, false, this);
    auto* leftCaption = Text(QStringLiteral("のこり"), "RemainingCaption", 24, false, this);
    label7_ = Text(QString(), "Label7", 30, true, this);
    auto* leftUnit = Text(QStringLiteral("問"), "RemainingUnit", 24, false, this);
    auto* progress = new QHBoxLayout;
    progress->addWidget(label4_);
    progress->addStretch(1);
    progress->addWidget(leftCaption);
    progress->addWidget(label7_);
    progress->addWidget(leftUnit);

    // The answer and the correction.
    picture1_ = new FormulaView(this);
    picture1_->setObjectName("Picture1");
    correction_ = new QWidget(this);
    correction_->setObjectName("Correction");
    auto* correctionCaption =
        Text(QStringLiteral("正しい答え"), "CorrectionCaption", 24, true, correction_);
    correctionCaption->setStyleSheet("color: #C00000;");
    picture2_ = new FormulaView(correction_);
    picture2_->setObjectName("Picture2");
    command5_ = Button(QStringLiteral("次へ"), "Command5", 28, correction_);
    auto* correctionLayout = new QGridLayout(correction_);
    correctionLayout->setContentsMargins(0, 0, 0, 0);
    correctionLayout->addWidget(correctionCaption, 0, 0);
    correctionLayout->addWidget(picture2_, 1, 0);
    correctionLayout->addWidget(command5_, 1, 1, Qt::AlignBottom);
    QSizePolicy keep = correction_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    correction_->setSizePolicy(keep);
    correction_->hide();

    // The charge buttons (levels 8 and 10) and the practice buttons (odd levels) share a row.
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
    command6_ = Button(QStringLiteral("次へ"), "Command6", 26, this);
    command7_ = Button(QStringLiteral("答え表示"), "Command7", 26, this);
    command9_ = Button(QStringLiteral("覚えた"), "Command9", 26, this);
    command8_ = Button(QStringLiteral("練習終わり"), "Command8", 26, this);
    for (QPushButton* b : {command7_, command6_, command9_, command8_}) {
        buttons->addWidget(b);
        b->hide();
    }
    buttons->addStretch(1);

    // The clock and the time bar.
    label8_ = Text(QString(), "Label8", 40, true, this);
    label8_->setMinimumWidth(Scaled(110));
    label8_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* secondsUnit = Text(QStringLiteral("秒"), "SecondsUnit", 24, false, this);
    timeBar_ = new TimeBarView(this);
    timeBar_->setObjectName("TimeBar");
    auto* clockRow = new QHBoxLayout;
    clockRow->addWidget(label8_);
    clockRow->addWidget(secondsUnit);
    clockRow->addSpacing(Scaled(16));
    clockRow->addWidget(timeBar_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Scaled(40), Scaled(20), Scaled(40), Scaled(20));
    layout->setSpacing(Scaled(8));
    layout->addLayout(heading);
    layout->addWidget(label3_);
    layout->addLayout(progress);
    layout->addWidget(picture1_);
    layout->addWidget(correction_);
    layout->addStretch(1);
    layout->addLayout(buttons);
    layout->addSpacing(Scaled(8));
    layout->addLayout(clockRow);

    // The cover over the whole screen at the end of a run.
    cover_ = new QWidget(this);
    cover_->setObjectName("sPicture2");
    cover_->setAutoFillBackground(true);
    QPalette coverPalette = cover_->palette();
    coverPalette.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xF0));
    cover_->setPalette(coverPalette);
    lblsss1_ = Text(QStringLiteral("成績記録中"), "lblsss1", 64, true, cover_);
    lblsss2_ = Text(QStringLiteral("時間切れ"), "lblsss2", 64, true, cover_);
    lblsss2_->setStyleSheet("color: #C00000;");
    auto* coverLayout = new QVBoxLayout(cover_);
    coverLayout->addWidget(lblsss1_, 0, Qt::AlignCenter);
    coverLayout->addWidget(lblsss2_, 0, Qt::AlignCenter);
    cover_->hide();

    connect(command5_, &QPushButton::clicked, this, &MainFrm::ContinueAfterCorrection);
    connect(command6_, &QPushButton::clicked, this, &MainFrm::PracticeNext);
    connect(command7_, &QPushButton::clicked, this, &MainFrm::PracticeShowAnswer);
    connect(command8_, &QPushButton::clicked, this, &MainFrm::PracticeEnd);
    connect(command9_, &QPushButton::clicked, this, &MainFrm::PracticeLearnt);
    connect(command10_, &QPushButton::clicked, this, &MainFrm::GiveUpClicked);

    clockTimer_.setObjectName("sTimer1");
    clockTimer_.setInterval(1000);
    connect(&clockTimer_, &QTimer::timeout, this, &MainFrm::OnClockTick);

    // Every key reaches the drill, whichever control has the focus.
    qApp->installEventFilter(this);
}

MainFrm::~MainFrm() {
    qApp->removeEventFilter(this);
}

std::filesystem::path MainFrm::GiveUpLog() const {
    return GiveUpLogPath(program_.setup().ProgramDataFolder, program_.signIn().PupilNumber);
}

void MainFrm::Activate() {
    const int level = program_.run().CurrentLevel;
    const auto slot = static_cast<std::size_t>(level);

    const GiveUpButtonState giveUp = GiveUpButtonFor(GiveUpLog(), program_.clock().TodayDate());
    command10_->setText(Q(giveUp.caption));
    command10_->setEnabled(giveUp.enabled);

    const bool timed = program_.setup().LevelTimed[slot] == 1;
    runClock_ = std::make_unique<RunClock>(timed, program_.setup().Settings.TargetTime[slot],
                                           program_.setup().Settings.MinimumTime[slot], kBarUnits);
    program_.run().TimeLimit = runClock_->TimeLimit();
    program_.run().TimeBarScale = runClock_->Bar().scale;
    label8_->setText(Q(runClock_->InitialCaption()));
    timeBar_->SetBar(runClock_->Bar(), timed);

    label6_->setText(QString::number(level));
    sLabel2_->setText(Q(program_.setup().ProgramName));
    label5_->setText(Q(text::Trim(program_.signIn().PupilName)));

    const bool chargeButtons = ShowsChargeButtons(level);
    for (int i = 0; i < kChargeButtons; ++i) {
        chargeButtons_[static_cast<std::size_t>(i)]->setVisible(chargeButtons);
        chargeHints_[static_cast<std::size_t>(i)]->setVisible(chargeButtons);
    }

    if (IsPracticeLevel(program_.setup().LevelNames[slot])) {
        practice_ = std::make_unique<PracticeSession>(problems_);
        label8_->setText(QStringLiteral("---"));
        command8_->show();
        PracticeNext();
        return;
    }
    drill_ = std::make_unique<TimedDrill>(problems_, program_.random());
    program_.run().ProblemCount = static_cast<std::int16_t>(drill_->ProblemCount());
    drill_->Start();
    ShowQuestion();
    runClock_->Start(program_.clock().MonotonicMs());
    clockTimer_.start();
}

void MainFrm::ShowQuestion() {
    label3_->setText(Q(drill_->QuestionCaption()));
    label4_->setText(Q(drill_->RepeatCaption()));
    label7_->setText(Q(drill_->RemainingCaption()));
    picture1_->SetFormula(drill_->ComposedAnswer());
    picture2_->SetFormula(drill_->CorrectAnswer());
    correction_->setVisible(drill_->ShowingCorrection());
    layout()->activate();
}

bool MainFrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this || !isVisible() || leaving_)
        return false;
    return HandleKey(static_cast<QKeyEvent*>(event));
}

bool MainFrm::HandleKey(QKeyEvent* event) {
    // Practice is driven by its buttons; the keys work them as usual.
    if (drill_ == nullptr)
        return false;
    if (program_.run().RunEnding == 1 || leaving_)
        return true;
    const int key = event->key();
    if (drill_->ShowingCorrection()) {
        // Only "次へ" goes on (the space bar presses it, as it presses any focused button);
        // letters, Enter and the function keys are ignored, so a reflex Enter cannot skip the
        // correction.
        if (key == Qt::Key_Space && command5_->hasFocus())
            command5_->click();
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
    if (drill_ == nullptr || program_.run().RunEnding == 1)
        return;
    HandleOutcome(drill_->OnChargeButton(index));
}

void MainFrm::HandleOutcome(TimedDrill::Outcome outcome) {
    switch (outcome) {
        case TimedDrill::Outcome::Ignored:
            return;
        case TimedDrill::Outcome::AnswerChanged:
            picture1_->SetFormula(drill_->ComposedAnswer());
            return;
        case TimedDrill::Outcome::Correct: {
            program_.run().CompletedCount = drill_->CompletedCount();
            program_.cues().PlayCorrectSound();
            // The sound let events run: a give-up or a fault may have ended the run meanwhile,
            // and the time limit may have been reached.
            if (leaving_ || program_.run().RunEnding == 1)
                return;
            if (drill_->AllDone() || endDue_) {
                EndRun();
                return;
            }
            ShowQuestion();
            return;
        }
        case TimedDrill::Outcome::Wrong: {
            if (const auto note = NoteWrongAnswer(program_.runMistakes(), program_.mistakeLogPlace(), *drill_, program_.clock()))
                qWarning("%s", note->c_str());  // once per run; the drill goes on
            picture2_->SetFormula(drill_->CorrectAnswer());
            correction_->show();
            command5_->setFocus();
            repaint();
            program_.cues().PlayWrongSound();
            EndRunIfDue();
            return;
        }
    }
}

void MainFrm::ContinueAfterCorrection() {
    if (drill_ == nullptr || !drill_->ShowingCorrection())
        return;
    drill_->ContinueAfterCorrection();
    correction_->hide();
    if (drill_->AllDone()) {
        EndRun();
        return;
    }
    ShowQuestion();
    setFocus();
}

void MainFrm::OnClockTick() {
    if (runClock_ == nullptr || leaving_ || program_.run().RunEnding == 1)
        return;
    const RunClock::Tick tick = runClock_->OnTick(program_.clock().MonotonicMs());
    program_.run().ElapsedSeconds = tick.elapsedSeconds;
    label8_->setText(Q(tick.caption));
    if (tick.timedOut)
        program_.run().TimedOut = 1;
    timeBar_->SetElapsedWidth(tick.elapsedWidth);
    if (tick.limitReached)
        endDue_ = true;
    if (InNestedLoop()) {
        // A message box, a sound or a wait is open inside a handler: the run must not end
        // beneath it. The clock goes on counting; the run ends once that handler is done.
        return;
    }
    PumpEvents();
    EndRunIfDue();
}

void MainFrm::EndRunIfDue() {
    if (endDue_ && !leaving_ && program_.run().RunEnding != 1 && !InNestedLoop())
        EndRun();
}

void MainFrm::EndRun() {
    if (leaving_ || program_.run().RunEnding == 1)
        return;  // the run is already ending
    program_.run().RunEnding = 1;
    endDue_ = false;
    // The clock stops before anything lets events run, so a late tick can neither change the
    // time nor time out a run that was completed.
    clockTimer_.stop();

    const int level = program_.run().CurrentLevel;
    // The time of a completed run is read now, not at the last tick.
    if (runClock_ != nullptr && program_.run().TimedOut != 1) {
        program_.run().ElapsedSeconds = runClock_->ElapsedSeconds(program_.clock().MonotonicMs());
    }

    cover_->setGeometry(rect());
    lblsss1_->setVisible(program_.run().TimedOut != 1);
    lblsss2_->setVisible(program_.run().TimedOut == 1);
    cover_->show();
    cover_->raise();
    cover_->repaint();
    PumpEvents();
    if (leaving_)
        return;

    const RunEnd end = DecideRunEnd(program_.setup(), level, program_.run().TimedOut == 1, program_.run().ElapsedSeconds);
    if (end.action == RunEnd::Action::LeaveForMenu) {
        program_.ShowBaseScreen();
        LeaveToMenu();
        return;
    }
    if (end.action == RunEnd::Action::KeepCover)
        return;

    program_.run().ResultTime = end.resultTime;
    try {
        ScreenRecordFileWaiter waiter(program_.messages(), this);
        program_.RecordFinishedRun(level, waiter);
    } catch (const DataFileError& error) {
        leaving_ = true;
        program_.EndWithFileError(error, this);
        return;
    }
    program_.ShowBaseScreen();
    PumpEvents();
    // The cover stays a second, then the result replaces the drill.
    WaitKeepingScreenAlive(1000);
    if (leaving_)
        return;  // the program is ending
    leaving_ = true;
    close();
    program_.ShowResultScreen();
}

void MainFrm::PracticeNext() {
    practice_->Next();
    ShowPractice();
}

void MainFrm::PracticeShowAnswer() {
    practice_->ShowAnswer();
    if (const auto note = NoteRevealedAnswer(program_.runMistakes(), program_.mistakeLogPlace(), *practice_,
                                             program_.clock()))
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
    if (practiceEndsBySignal_) {
        if (leaving_)
            return;
        leaving_ = true;
        Q_EMIT practiceEnded();
        close();
        return;
    }
    LeaveToMenu();
}

void MainFrm::ShowPractice() {
    using B = PracticeSession::Button;
    label3_->setText(Q(practice_->QuestionCaption()));
    label4_->clear();
    label7_->setText(Q(practice_->RemainingCaption()));
    picture1_->SetFormula(practice_->ShownAnswer());
    command6_->setVisible(practice_->IsVisible(B::Next));
    command7_->setVisible(practice_->IsVisible(B::ShowAnswer));
    command9_->setVisible(practice_->IsVisible(B::Learnt));
    (practice_->Focus() == B::Next ? command6_ : command7_)->setFocus();
    layout()->activate();
}

void MainFrm::GiveUpClicked() {
    if (leaving_ || program_.run().RunEnding == 1)
        return;
    const GiveUpOutcome outcome = GiveUp(GiveUpLog(), program_.clock().TodayDate());
    // The clock keeps counting while a box is open, but the run cannot end beneath it: a run
    // given up meanwhile records nothing, and one that goes on ends once the box is answered.
    for (const std::string& message : outcome.messages) {
        program_.messages().Inform(this, Q(program_.setup().ProgramName), Q(message));
        if (leaving_)
            return;  // the program is ending
    }
    if (outcome.givenUp) {
        LeaveToMenu();
        return;
    }
    EndRunIfDue();
}

void MainFrm::LeaveToMenu() {
    leaving_ = true;
    clockTimer_.stop();
    program_.ShowLevelMenu();
    close();
    PumpEvents();
}

void MainFrm::closeEvent(QCloseEvent* event) {
    clockTimer_.stop();
    leaving_ = true;
    QWidget::closeEvent(event);
}

}  // namespace kagaku::ui
