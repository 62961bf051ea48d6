#include "support/fake_services.h"

#include <QDir>
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
