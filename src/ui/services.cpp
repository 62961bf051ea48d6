#include "ui/services.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QThread>

namespace kagaku::ui {

void RealMessageBoxes::Inform(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

MessageBoxes::Answer RealMessageBoxes::Ask(QWidget* parent, const QString& title,
                                           const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void PumpEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void WaitKeepingScreenAlive(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

}  // namespace kagaku::ui
