#include "ui/result/frmsyuuryou.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/errors.h"
#include "records/aggregation.h"
#include "ui/shell/look.h"
#include "ui/result/mistake_practice_offer.h"
#include "ui/shell/program.h"
#include "ui/shell/screen_record_waiter.h"
#include "ui/shell/services.h"

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

}  // namespace

FrmSyuuryou::FrmSyuuryou(Program& program) : program_(program) {
    setObjectName("FrmSyuuryou");
    setWindowTitle(QStringLiteral("終了"));
    DeleteOnCloseWhenIdle(this);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ScreenColour(program_.setup().SeasonColour));
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);

    // The result panel, centred on the screen.
    auto* panel = new QFrame(this);
    panel->setObjectName("Picture4");
    panel->setFrameShape(QFrame::Box);
    panel->setLineWidth(Scaled(3));
    panel->setAutoFillBackground(true);
    QPalette panelPalette = panel->palette();
    panelPalette.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xF4));
    panel->setPalette(panelPalette);

    label15_ = Text("Label15", 28, true, panel);
    label16_ = Text("Label16", 28, true, panel);
    label17_ = Text("Label17", 28, true, panel);
    label14_ = Text("Label14", 22, false, panel);
    label13_ = Text("Label13", 22, false, panel);
    label18_ = Text("Label18", 56, true, panel);
    label19_ = Text("Label19", 32, false, panel);
    label20_ = Text("Label20", 44, true, panel);
    label20_->setStyleSheet("color: #D00000;");
    label20_->hide();
    label2_ = Text("Label2", 34, true, panel);
    label2_->setText(QStringLiteral("このレベルクリア"));
    label2_->setStyleSheet("color: #0050C0;");
    label2_->hide();

    auto* names = new QHBoxLayout;
    names->addStretch(1);
    names->addWidget(label15_);
    names->addSpacing(Scaled(24));
    names->addWidget(label16_);
    names->addSpacing(Scaled(24));
    names->addWidget(label17_);
    names->addStretch(1);
    auto* runs = new QHBoxLayout;
    runs->addStretch(1);
    runs->addWidget(label14_);
    runs->addWidget(label13_);
    runs->addStretch(1);

    command4_ = Button(QStringLiteral("メニューへ"), "Command4", panel);
    command5_ = Button(QStringLiteral("もう一度"), "Command5", panel);
    command4_->hide();
    command5_->hide();
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(command5_);
    buttonRow->addSpacing(Scaled(40));
    buttonRow->addWidget(command4_);
    buttonRow->addStretch(1);
    // The buttons keep their room while hidden, so nothing moves when they appear.
    for (QWidget* w : {static_cast<QWidget*>(command4_), static_cast<QWidget*>(command5_),
                       static_cast<QWidget*>(label20_), static_cast<QWidget*>(label2_)}) {
        QSizePolicy p = w->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        w->setSizePolicy(p);
    }

    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(Scaled(40), Scaled(24), Scaled(40), Scaled(24));
    panelLayout->setSpacing(Scaled(12));
    panelLayout->addLayout(names);
    panelLayout->addLayout(runs);
    panelLayout->addSpacing(Scaled(8));
    panelLayout->addWidget(label18_);
    panelLayout->addWidget(label19_);
    panelLayout->addWidget(label20_);
    panelLayout->addWidget(label2_);
    panelLayout->addSpacing(Scaled(12));
    panelLayout->addLayout(buttonRow);
    // The practice of the run's mistakes comes with the way on, under the two buttons.
    if (auto practice = PracticeOfRun(program_.runMistakes(), program_.setup().LevelNames, program_.setup().LevelCount)) {
        practiceOffer_ = new MistakePracticeOffer(std::move(*practice), 26, panel);
        practiceOffer_->hide();
        panelLayout->addWidget(practiceOffer_, 0, Qt::AlignHCenter);
        connect(practiceOffer_, &MistakePracticeOffer::asked, this, [this] {
            program_.StartMistakePractice(practiceOffer_->practice(),
                                          Program::PracticeReturn::ResultScreen);
        });
    }

    // The goal picture stands over the panel until the timer fires.
    picture1_ = new QFrame(this);
    picture1_->setObjectName("Picture1");
    picture1_->setStyleSheet(
        "#Picture1 { background: #FFE060; border: 6px solid #C08000; border-radius: 16px; }");
    auto* goalLabel = Text("Label1", 44, true, picture1_);
    goalLabel->setText(QStringLiteral("目標レベルクリア。おめでとう！"));
    goalLabel->setStyleSheet("color: #A00000; background: transparent; border: none;");
    auto* goalLayout = new QVBoxLayout(picture1_);
    goalLayout->setContentsMargins(Scaled(40), Scaled(40), Scaled(40), Scaled(40));
    goalLayout->addWidget(goalLabel);
    picture1_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(panel, 0, Qt::AlignHCenter);
    layout->addWidget(picture1_, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    panel->setMinimumWidth(Scaled(860));

    timer1_.setObjectName("Timer1");
    timer1_.setSingleShot(true);
    timer1_.setInterval(500);
    connect(&timer1_, &QTimer::timeout, this, &FrmSyuuryou::OnTimer);
    connect(command4_, &QPushButton::clicked, this, &FrmSyuuryou::MenuClicked);
    connect(command5_, &QPushButton::clicked, this, &FrmSyuuryou::AgainClicked);
}

void FrmSyuuryou::EvaluateRun() {
    if (evaluated_)
        return;
    evaluated_ = true;
    try {
        ScreenRecordFileWaiter waiter(program_.messages(), this);
        program_.RebuildStanding(waiter);
    } catch (const DataFileError& error) {
        program_.EndWithFileError(error, this);
        return;
    }
    inputs_ = ResultInputsFrom(program_.setup(), program_.signIn(), program_.run(),
                               program_.standing(), program_.board().GoalCleared);
    result_ = kagaku::EvaluateRun(inputs_);

    label2_->setVisible(result_.levelCleared);
    picture1_->setVisible(result_.showGoalPicture);
    label19_->setText(Q(result_.pointsLine));
    label18_->setText(Q(result_.timeLine));
    label17_->setText(Q(result_.pupilLine));
    label15_->setText(Q(result_.programLine));
    label16_->setText(Q(result_.levelLine));
    label13_->setText(Q(result_.levelRunsLine));
    label14_->setText(Q(result_.dayRunsLine));
    if (result_.message) {
        label20_->setText(Q(*result_.message));
        label20_->show();
    }
    layout()->activate();
    repaint();
    PumpEvents();
    if (!isVisible())
        return;  // the program is ending

    // The buttons come half a second after the evaluation, but never before the sounds have
    // ended: a tick that falls while a sound plays is kept until the last sound is over.
    timer1_.start();
    playingSounds_ = true;
    // Each sound plays to its end before the next.
    for (const ResultSound sound : result_.sounds) {
        switch (sound) {
            case ResultSound::AllTimeBest:
                program_.cues().PlayAllTimeBestSound();
                break;
            case ResultSound::PersonalBest:
                program_.cues().PlayPersonalBestSound();
                break;
            case ResultSound::Slow:
                program_.cues().PlaySlowSound();
                break;
            case ResultSound::Goal:
                program_.cues().PlayGoalSound();
                break;
        }
        if (!isVisible())
            return;  // the program is ending
    }
    playingSounds_ = false;
    program_.run().NewPersonalBest = 0;
    program_.run().NewAllTimeBest = 0;
    if (wayOnDue_)
        OfferWayOn();
    PumpEvents();
    if (!isVisible())
        return;
    program_.CloseBaseScreen();
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
    picture1_->hide();
    command4_->show();
    command4_->setFocus();
    const ResultOffer offer = OfferAfterTimer(inputs_, result_);
    if (offer.clearLabelCaption)
        label2_->setText(Q(*offer.clearLabelCaption));
    label2_->setVisible(offer.clearLabelVisible);
    command5_->setVisible(offer.offerAgain);
    if (practiceOffer_ != nullptr)
        practiceOffer_->show();
}

void FrmSyuuryou::MenuClicked() {
    command4_->setEnabled(false);
    program_.ShowLevelMenu();
    close();
    PumpEvents();
}

void FrmSyuuryou::AgainClicked() {
    command4_->setEnabled(false);
    command5_->setEnabled(false);
    // Nothing of this screen is used once it is closed.
    Program& program = program_;
    program.ShowBaseScreen();
    close();
    PumpEvents();
    program.StartDrill(program.run().CurrentLevel);
}

}  // namespace kagaku::ui
