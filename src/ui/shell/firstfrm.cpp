#include "ui/shell/firstfrm.h"

#include <QLabel>
#include <QVBoxLayout>

#include "state/level_catalogue.h"
#include "state/start_up.h"
#include "ui/shell/look.h"

namespace kagaku::ui {

Firstfrm::Firstfrm(CivilDate today, std::uint32_t seasonColour, QWidget* parent)
    : QWidget(parent), eraDate_(PlainLabel({}, this)), timer1_(new QTimer(this)) {
    setObjectName("Firstfrm");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Q(kProgramName));

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ColourFromBgr(seasonColour));
    setPalette(palette);
    setAutoFillBackground(true);

    auto* title = PlainLabel(Q(kProgramName), this);
    title->setObjectName("Label1");
    title->setFont(UiFont(120, true));
    title->setAlignment(Qt::AlignCenter);

    eraDate_->setObjectName("Label5");
    eraDate_->setFont(UiFont(36));
    eraDate_->setAlignment(Qt::AlignCenter);
    eraDate_->setText(Q(JapaneseEraDate(today)));

    auto* wait = PlainLabel(QStringLiteral("しばらくお待ちください"), this);
    wait->setFont(UiFont(24));
    wait->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->addStretch(2);
    layout->addWidget(title);
    layout->addSpacing(Scaled(30));
    layout->addWidget(eraDate_);
    layout->addStretch(1);
    layout->addWidget(wait);
    layout->addStretch(1);

    timer1_->setObjectName("Timer1");
    timer1_->setSingleShot(true);
    timer1_->setInterval(100);
    connect(timer1_, &QTimer::timeout, this, &Firstfrm::Timer1_Timer);
}

void Firstfrm::StartTimer1() {
    // Queued: the 100 ms count begins only when the event loop picks this up, so the start-up
    // (which may end the program) never runs before that loop exists.
    QTimer::singleShot(0, timer1_, qOverload<>(&QTimer::start));
}

void Firstfrm::Timer1_Timer() {
    timer1_->stop();
    // The name screen, once shown, takes the splash's place and closes it. After a damaged
    // file the splash stays beneath the message until the program ends: the message goes with
    // the screen it opened over.
    Q_EMIT startUpDue();
}

}  // namespace kagaku::ui
