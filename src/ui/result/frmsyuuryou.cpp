#include "ui/result/frmsyuuryou.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <initializer_list>

#include "sound/cue_player.h"
#include "ui/result/mistake_practice_offer.h"
#include "ui/shell/look.h"

namespace kagaku::ui {

namespace {

// The season's colour; a light green when none has been picked (a screen started directly).
QColor ScreenColour(std::uint32_t bgr) {
    return bgr == 0 ? QColor(0xC0, 0xFF, 0xC0) : ColourFromBgr(bgr);
}

QLabel* Text(const char* name, int fontSize, bool bold, QWidget* parent) {
    auto* label = PlainLabel(QString(), parent);
    label->setObjectName(name);
    label->setFont(UiFont(fontSize, bold));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QPushButton* Button(const QString& caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFont(UiFont(30, true));
    button->setMinimumSize(Scaled(220), Scaled(70));
    // Enter presses the button that has the focus, as the space bar does.
    button->setAutoDefault(true);
    return button;
}

void KeepRoomWhenHidden(std::initializer_list<QWidget*> widgets) {
    for (QWidget* w : widgets) {
        QSizePolicy p = w->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        w->setSizePolicy(p);
    }
}

}  // namespace

FrmSyuuryou::FrmSyuuryou(RunResultInputs inputs, std::optional<MistakePractice> practice,
                         std::uint32_t seasonColour, CuePlayer& cues)
    : cues_(cues), inputs_(std::move(inputs)) {
    setObjectName("FrmSyuuryou");
    setWindowTitle(QStringLiteral("終了"));
    setAttribute(Qt::WA_DeleteOnClose);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ScreenColour(seasonColour));
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);

    QFrame* panel = BuildPanel(std::move(practice));
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(panel, 0, Qt::AlignHCenter);
    layout->addWidget(BuildGoalPicture(), 0, Qt::AlignHCenter);
    layout->addStretch(1);
    panel->setMinimumWidth(Scaled(860));

    timer1_.setObjectName("Timer1");
    timer1_.setSingleShot(true);
    timer1_.setInterval(500);
    connect(&timer1_, &QTimer::timeout, this, &FrmSyuuryou::OnTimer);
    connect(menuButton_, &QPushButton::clicked, this, &FrmSyuuryou::MenuClicked);
    connect(againButton_, &QPushButton::clicked, this, &FrmSyuuryou::AgainClicked);
}

// The result panel, centred on the screen: the lines, the message, the way on and the practice
// of the run's mistakes.
QFrame* FrmSyuuryou::BuildPanel(std::optional<MistakePractice> practice) {
    auto* panel = new QFrame(this);
    panel->setObjectName("Picture4");
    panel->setFrameShape(QFrame::Box);
    panel->setLineWidth(Scaled(3));
    panel->setAutoFillBackground(true);
    QPalette panelPalette = panel->palette();
    panelPalette.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xF4));
    panel->setPalette(panelPalette);

    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(Scaled(40), Scaled(24), Scaled(40), Scaled(24));
    panelLayout->setSpacing(Scaled(12));
    BuildLines(panel, panelLayout);
    panelLayout->addSpacing(Scaled(12));
    panelLayout->addLayout(BuildButtonRow(panel));
    if (practice)
        BuildPracticeOffer(std::move(*practice), panel, panelLayout);
    return panel;
}

// Who, what and how: the names line, the run counts, the time, the points, the message and
// このレベルクリア.
void FrmSyuuryou::BuildLines(QWidget* panel, QVBoxLayout* panelLayout) {
    programLine_ = Text("Label15", 28, true, panel);
    levelLine_ = Text("Label16", 28, true, panel);
    pupilLine_ = Text("Label17", 28, true, panel);
    dayRunsLine_ = Text("Label14", 22, false, panel);
    levelRunsLine_ = Text("Label13", 22, false, panel);
    timeLine_ = Text("Label18", 56, true, panel);
    pointsLine_ = Text("Label19", 32, false, panel);
    messageLabel_ = Text("Label20", 44, true, panel);
    messageLabel_->setStyleSheet("color: #D00000;");
    messageLabel_->hide();
    clearedLabel_ = Text("Label2", 34, true, panel);
    clearedLabel_->setText(QStringLiteral("このレベルクリア"));
    clearedLabel_->setStyleSheet("color: #0050C0;");
    clearedLabel_->hide();
    KeepRoomWhenHidden({messageLabel_, clearedLabel_});

    auto* names = new QHBoxLayout;
    names->addStretch(1);
    names->addWidget(programLine_);
    names->addSpacing(Scaled(24));
    names->addWidget(levelLine_);
    names->addSpacing(Scaled(24));
    names->addWidget(pupilLine_);
    names->addStretch(1);
    auto* runs = new QHBoxLayout;
    runs->addStretch(1);
    runs->addWidget(dayRunsLine_);
    runs->addWidget(levelRunsLine_);
    runs->addStretch(1);

    panelLayout->addLayout(names);
    panelLayout->addLayout(runs);
    panelLayout->addSpacing(Scaled(8));
    panelLayout->addWidget(timeLine_);
    panelLayout->addWidget(pointsLine_);
    panelLayout->addWidget(messageLabel_);
    panelLayout->addWidget(clearedLabel_);
}

// もう一度 and メニューへ, hidden until the way on is offered; they keep their room meanwhile, so
// nothing moves when they appear.
QLayout* FrmSyuuryou::BuildButtonRow(QWidget* panel) {
    menuButton_ = Button(QStringLiteral("メニューへ"), "Command4", panel);
    againButton_ = Button(QStringLiteral("もう一度"), "Command5", panel);
    menuButton_->hide();
    againButton_->hide();
    KeepRoomWhenHidden({menuButton_, againButton_});
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(againButton_);
    buttonRow->addSpacing(Scaled(40));
    buttonRow->addWidget(menuButton_);
    buttonRow->addStretch(1);
    return buttonRow;
}

// The practice of the run's mistakes comes with the way on, under the two buttons.
void FrmSyuuryou::BuildPracticeOffer(MistakePractice practice, QWidget* panel,
                                     QVBoxLayout* panelLayout) {
    practiceOffer_ = new MistakePracticeOffer(std::move(practice), 26, panel);
    practiceOffer_->hide();
    panelLayout->addWidget(practiceOffer_, 0, Qt::AlignHCenter);
    connect(practiceOffer_, &MistakePracticeOffer::asked, this,
            [this] { Q_EMIT mistakePracticeAsked(practiceOffer_->practice()); });
}

// The goal picture stands over the panel until the timer fires.
QWidget* FrmSyuuryou::BuildGoalPicture() {
    goalPicture_ = new QFrame(this);
    goalPicture_->setObjectName("Picture1");
    goalPicture_->setStyleSheet(
        "#Picture1 { background: #FFE060; border: 6px solid #C08000; border-radius: 16px; }");
    auto* goalLabel = Text("Label1", 44, true, goalPicture_);
    goalLabel->setText(QStringLiteral("目標レベルクリア。おめでとう！"));
    goalLabel->setStyleSheet("color: #A00000; background: transparent; border: none;");
    auto* goalLayout = new QVBoxLayout(goalPicture_);
    goalLayout->setContentsMargins(Scaled(40), Scaled(40), Scaled(40), Scaled(40));
    goalLayout->addWidget(goalLabel);
    goalPicture_->hide();
    return goalPicture_;
}

void FrmSyuuryou::EvaluateRun() {
    if (evaluated_)
        return;
    evaluated_ = true;
    result_ = kagaku::EvaluateRun(inputs_);

    clearedLabel_->setVisible(result_.levelCleared);
    goalPicture_->setVisible(result_.showGoalPicture);
    pointsLine_->setText(Q(result_.pointsLine));
    timeLine_->setText(Q(result_.timeLine));
    pupilLine_->setText(Q(result_.pupilLine));
    programLine_->setText(Q(result_.programLine));
    levelLine_->setText(Q(result_.levelLine));
    levelRunsLine_->setText(Q(result_.levelRunsLine));
    dayRunsLine_->setText(Q(result_.dayRunsLine));
    if (result_.message) {
        messageLabel_->setText(Q(*result_.message));
        messageLabel_->show();
    }
    layout()->activate();

    // The buttons come half a second after the evaluation, but never before the sounds have
    // ended: a tick that falls while a sound plays is kept until the last sound is over.
    timer1_.start();
    playingSounds_ = true;
    PlaySound(0);
}

void FrmSyuuryou::PlaySound(std::size_t index) {
    if (index >= result_.sounds.size()) {
        playingSounds_ = false;
        if (wayOnDue_)
            OfferWayOn();
        Q_EMIT soundsEnded();
        return;
    }
    // Each sound plays to its end before the next; a screen gone meanwhile plays no more.
    QPointer<FrmSyuuryou> self(this);
    CuePlayer::Ended next = [self, index] {
        if (self)
            self->PlaySound(index + 1);
    };
    switch (result_.sounds[index]) {
        case ResultSound::AllTimeBest:
            cues_.PlayAllTimeBestSound(std::move(next));
            break;
        case ResultSound::PersonalBest:
            cues_.PlayPersonalBestSound(std::move(next));
            break;
        case ResultSound::Slow:
            cues_.PlaySlowSound(std::move(next));
            break;
        case ResultSound::Goal:
            cues_.PlayGoalSound(std::move(next));
            break;
    }
}

void FrmSyuuryou::OnTimer() {
    timer1_.stop();
    if (playingSounds_) {
        wayOnDue_ = true;
        return;
    }
    OfferWayOn();
}

void FrmSyuuryou::OfferWayOn() {
    wayOnDue_ = false;
    goalPicture_->hide();
    menuButton_->show();
    menuButton_->setFocus();
    const ResultOffer offer = OfferAfterTimer(inputs_, result_);
    if (offer.clearLabelCaption)
        clearedLabel_->setText(Q(*offer.clearLabelCaption));
    clearedLabel_->setVisible(offer.clearLabelVisible);
    againButton_->setVisible(offer.offerAgain);
    if (practiceOffer_ != nullptr)
        practiceOffer_->show();
}

void FrmSyuuryou::MenuClicked() {
    if (wayChosen_)
        return;
    wayChosen_ = true;
    menuButton_->setEnabled(false);
    againButton_->setEnabled(false);
    Q_EMIT toMenu();
}

void FrmSyuuryou::AgainClicked() {
    // One click starts one drill.
    if (wayChosen_)
        return;
    wayChosen_ = true;
    menuButton_->setEnabled(false);
    againButton_->setEnabled(false);
    Q_EMIT againAsked();
}

}  // namespace kagaku::ui
