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

void FakeMessageBoxes::Inform(QWidget*, const QString& title, const QString& text,
                              Closed closed) {
    shown_.push_back({title, text, QThread::currentThread()->loopLevel()});
    if (closed)
        closed();
}

void FakeMessageBoxes::Ask(QWidget*, const QString& title, const QString& text,
                           Answered answered) {
    shown_.push_back({title, text, QThread::currentThread()->loopLevel()});
    Answer a = Answer::Yes;
    if (!answers_.empty()) {
        a = answers_.front();
        answers_.pop_front();
    }
    if (answered)
        answered(a);
}

void FakeMessageBoxes::Confirm(QWidget* parent, const QString& title, const QString& text,
                               Answered answered) {
    Ask(parent, title, text, [answered = std::move(answered)](Answer a) {
        if (answered)
            answered(a == Answer::Yes || a == Answer::Ok ? Answer::Ok : Answer::Cancel);
    });
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

void SelfAnsweringMessageBoxes::Inform(QWidget* parent, const QString& title, const QString& text,
                                  Closed closed) {
    shown_.push_back({title, text});
    OpenAnswering(QMessageBox::Information, parent, title, text, QMessageBox::Ok,
                  QMessageBox::Ok, whileOpen, openMilliseconds,
                  [closed = std::move(closed)](QMessageBox::StandardButton) {
                      if (closed)
                          closed();
                  });
}

void SelfAnsweringMessageBoxes::Ask(QWidget* parent, const QString& title, const QString& text,
                               Answered answered) {
    shown_.push_back({title, text});
    OpenAnswering(QMessageBox::Question, parent, title, text, QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::Yes, whileOpen, openMilliseconds,
                  [answered = std::move(answered)](QMessageBox::StandardButton b) {
                      if (answered)
                          answered(b == QMessageBox::Yes ? Answer::Yes : Answer::No);
                  });
}

void SelfAnsweringMessageBoxes::Confirm(QWidget* parent, const QString& title, const QString& text,
                                   Answered answered) {
    shown_.push_back({title, text});
    OpenAnswering(QMessageBox::Warning, parent, title, text,
                  QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, whileOpen,
                  openMilliseconds, [answered = std::move(answered)](QMessageBox::StandardButton b) {
                      if (answered)
                          answered(b == QMessageBox::Ok ? Answer::Ok : Answer::Cancel);
                  });
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

void FakeSoundDevice::Play(const std::filesystem::path& wavFile, Ended ended) {
    played_.push_back(wavFile);
    const PlayResult result{failCode_, failCode_ == 0 ? std::string() : failText_};
    if (ended)
        ended(result);
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
