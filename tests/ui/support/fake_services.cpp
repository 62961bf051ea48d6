#include "support/fake_services.h"

#include <QAbstractButton>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QWidget>

namespace kagaku::testing {

void FakeMessageBoxes::Inform(QWidget*, const QString& title, const QString& text) {
    shown_.push_back({title, text, QThread::currentThread()->loopLevel()});
}

ui::MessageBoxes::Answer FakeMessageBoxes::Ask(QWidget*, const QString& title,
                                               const QString& text) {
    shown_.push_back({title, text, QThread::currentThread()->loopLevel()});
    if (answers_.empty())
        return Answer::Yes;
    Answer a = answers_.front();
    answers_.pop_front();
    return a;
}

void FakeMessageBoxes::Inform(QWidget* parent, const QString& title, const QString& text,
                              Closed closed) {
    Inform(parent, title, text);
    if (closed)
        closed();
}

void FakeMessageBoxes::Ask(QWidget* parent, const QString& title, const QString& text,
                           Answered answered) {
    const Answer a = Ask(parent, title, text);
    if (answered)
        answered(a);
}

void FakeMessageBoxes::Confirm(QWidget* parent, const QString& title, const QString& text,
                               Answered answered) {
    const Answer a = Confirm(parent, title, text);
    if (answered)
        answered(a);
}

namespace {

// A real box, open window-modal, that answers itself after a while.
void OpenAnswering(QMessageBox::Icon icon, QWidget* parent, const QString& title,
                   const QString& text, QMessageBox::StandardButtons buttons,
                   QMessageBox::StandardButton answer, const std::function<void()>& whileOpen,
                   int openMilliseconds,
                   std::function<void(QMessageBox::StandardButton)> finished) {
    auto* box = new QMessageBox(icon, title, text, buttons, parent);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box,
                     [box, finished = std::move(finished)](int) {
                         if (finished && box->clickedButton() != nullptr)
                             finished(box->standardButton(box->clickedButton()));
                     });
    if (whileOpen)
        QTimer::singleShot(0, box, whileOpen);
    QTimer::singleShot(openMilliseconds, box, [box, answer] { box->button(answer)->click(); });
    box->open();
}

}  // namespace

void BlockingMessageBoxes::Inform(QWidget* parent, const QString& title, const QString& text,
                                  Closed closed) {
    shown_.push_back({title, text});
    OpenAnswering(QMessageBox::Information, parent, title, text, QMessageBox::Ok,
                  QMessageBox::Ok, whileOpen, openMilliseconds,
                  [closed = std::move(closed)](QMessageBox::StandardButton) {
                      if (closed)
                          closed();
                  });
}

void BlockingMessageBoxes::Ask(QWidget* parent, const QString& title, const QString& text,
                               Answered answered) {
    shown_.push_back({title, text});
    OpenAnswering(QMessageBox::Question, parent, title, text, QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::Yes, whileOpen, openMilliseconds,
                  [answered = std::move(answered)](QMessageBox::StandardButton b) {
                      if (answered)
                          answered(b == QMessageBox::Yes ? Answer::Yes : Answer::No);
                  });
}

void BlockingMessageBoxes::Confirm(QWidget* parent, const QString& title, const QString& text,
                                   Answered answered) {
    shown_.push_back({title, text});
    OpenAnswering(QMessageBox::Warning, parent, title, text,
                  QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, whileOpen,
                  openMilliseconds, [answered = std::move(answered)](QMessageBox::StandardButton b) {
                      if (answered)
                          answered(b == QMessageBox::Ok ? Answer::Ok : Answer::Cancel);
                  });
}

namespace {

QMessageBox::StandardButton ShowBlocking(QMessageBox::Icon icon, QWidget* parent,
                                         const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton answer,
                                         const std::function<void()>& whileOpen,
                                         int openMilliseconds) {
    QMessageBox box(icon, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (whileOpen)
        QTimer::singleShot(0, &box, whileOpen);
    QTimer::singleShot(openMilliseconds, &box, [&box, answer] { box.button(answer)->click(); });
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void BlockingMessageBoxes::Inform(QWidget* parent, const QString& title, const QString& text) {
    shown_.push_back({title, text});
    ShowBlocking(QMessageBox::Information, parent, title, text, QMessageBox::Ok, QMessageBox::Ok,
                 whileOpen, openMilliseconds);
}

ui::MessageBoxes::Answer BlockingMessageBoxes::Ask(QWidget* parent, const QString& title,
                                                   const QString& text) {
    shown_.push_back({title, text});
    return ShowBlocking(QMessageBox::Question, parent, title, text,
                        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, whileOpen,
                        openMilliseconds) == QMessageBox::Yes
               ? Answer::Yes
               : Answer::No;
}

ui::MessageBoxes::Answer BlockingMessageBoxes::Confirm(QWidget* parent, const QString& title,
                                                       const QString& text) {
    shown_.push_back({title, text});
    return ShowBlocking(QMessageBox::Warning, parent, title, text,
                        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, whileOpen,
                        openMilliseconds) == QMessageBox::Ok
               ? Answer::Ok
               : Answer::Cancel;
}

WaitingSoundDevice::WaitingSoundDevice() : sounds_(new QObject) {}

WaitingSoundDevice::~WaitingSoundDevice() {
    delete sounds_;
}

int WaitingSoundDevice::playing() const {
    return static_cast<int>(active_.size());
}

void WaitingSoundDevice::Play(const std::filesystem::path& wavFile, Ended ended) {
    played_.push_back(wavFile);
    // The older sounds stop: their ends come back from the event loop at once.
    for (QTimer* older : active_)
        older->start(0);
    auto* sound = new QTimer(sounds_);
    sound->setSingleShot(true);
    QObject::connect(sound, &QTimer::timeout, sounds_,
                     [this, sound, ended = std::move(ended)] {
                         // Out of the playing ones now; gone once this handler has returned.
                         std::erase(active_, sound);
                         sound->deleteLater();
                         if (afterPlaying)
                             afterPlaying();
                         if (ended)
                             ended(PlayResult{});
                     });
    active_.push_back(sound);
    sound->start(playMilliseconds);
    if (whilePlaying)
        QTimer::singleShot(0, sounds_, whilePlaying);
}

PlayResult WaitingSoundDevice::PlayToEnd(const std::filesystem::path& wavFile) {
    played_.push_back(wavFile);
    if (whilePlaying)
        QTimer::singleShot(0, qApp, whilePlaying);
    ui::WaitKeepingScreenAlive(playMilliseconds);
    if (afterPlaying)
        afterPlaying();
    return PlayResult{};
}

ui::MessageBoxes::Answer FakeMessageBoxes::Confirm(QWidget* parent, const QString& title,
                                                   const QString& text) {
    const Answer a = Ask(parent, title, text);
    return a == Answer::Yes || a == Answer::Ok ? Answer::Ok : Answer::Cancel;
}

void FakeSoundDevice::Play(const std::filesystem::path& wavFile, Ended ended) {
    const PlayResult result = PlayToEnd(wavFile);
    if (ended)
        ended(result);
}

PlayResult FakeSoundDevice::PlayToEnd(const std::filesystem::path& wavFile) {
    played_.push_back(wavFile);
    return PlayResult{failCode_, failCode_ == 0 ? std::string() : failText_};
}

QString SaveScreenshot(QWidget* widget, const QString& name) {
    const QString dir = QStringLiteral(KAGAKU_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    const QSize screen = QGuiApplication::primaryScreen()->size();
    const QString path =
        QStringLiteral("%1/%2-%3x%4.png").arg(dir, name).arg(screen.width()).arg(screen.height());
    widget->grab().save(path);
    return path;
}

}  // namespace kagaku::testing
