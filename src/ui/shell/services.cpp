#include "ui/shell/services.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <utility>

#include "ui/shell/look.h"

namespace kagaku::ui {

namespace {

int nestedLoops = 0;

// Deletes the closed screens it holds whenever no nested event loop runs.
class ClosedScreens final : public QObject {
public:
    using QObject::QObject;
    void Add(QWidget* screen) {
        for (const QPointer<QWidget>& s : screens_) {
            if (s == screen)
                return;
        }
        screens_.append(screen);
        Schedule(0);
    }
    void DeleteNow() {
        const auto screens = std::exchange(screens_, {});
        for (const QPointer<QWidget>& s : screens)
            delete s.data();
    }

private:
    void Schedule(int milliseconds) {
        if (!scheduled_) {
            scheduled_ = true;
            QTimer::singleShot(milliseconds, this, [this] { Sweep(); });
        }
    }
    void Sweep() {
        scheduled_ = false;
        if (nestedLoops > 0) {
            // A handler is still letting events run; try again once it may have finished.
            Schedule(10);
            return;
        }
        const auto screens = std::exchange(screens_, {});
        for (const QPointer<QWidget>& s : screens) {
            if (s && !s->isVisible())
                delete s.data();
        }
    }

    QList<QPointer<QWidget>> screens_;
    bool scheduled_ = false;
};

ClosedScreens& Closed() {
    // Made on first use and owned by the application, so it goes with it.
    static QPointer<ClosedScreens> closed;
    if (!closed)
        closed = new ClosedScreens(QCoreApplication::instance());
    return *closed;
}

// Hands a screen's close over to ClosedScreens instead of deleting it on the spot.
class CloseWatcher final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && watched->isWidgetType())
            Closed().Add(static_cast<QWidget*>(watched));
        return false;
    }
};

}  // namespace

NestedLoopScope::NestedLoopScope() {
    ++nestedLoops;
}

NestedLoopScope::~NestedLoopScope() {
    --nestedLoops;
}

bool InNestedLoop() {
    return nestedLoops > 0;
}

void DeleteOnCloseWhenIdle(QWidget* screen) {
    screen->installEventFilter(new CloseWatcher(screen));
}

void DeleteClosedScreensNow() {
    Closed().DeleteNow();
}

void CountingMessageBoxes::Inform(QWidget* parent, const QString& title, const QString& text) {
    NestedLoopScope loop;
    boxes_.Inform(parent, title, text);
}

MessageBoxes::Answer CountingMessageBoxes::Ask(QWidget* parent, const QString& title,
                                               const QString& text) {
    NestedLoopScope loop;
    return boxes_.Ask(parent, title, text);
}

MessageBoxes::Answer CountingMessageBoxes::Confirm(QWidget* parent, const QString& title,
                                                   const QString& text) {
    NestedLoopScope loop;
    return boxes_.Confirm(parent, title, text);
}

namespace {

// Plain text at a size a pupil reads from a full-screen drill, not the desktop's small default.
void SetUpBox(QMessageBox& box) {
    box.setTextFormat(Qt::PlainText);
    box.setFont(UiFont(22));
}

}  // namespace

namespace {

// A box of its own on the heap, window-modal over parent, gone once answered.
QMessageBox* OpenBox(QMessageBox::Icon icon, QWidget* parent, const QString& title,
                     const QString& text, QMessageBox::StandardButtons buttons,
                     std::function<void(QMessageBox::StandardButton)> finished) {
    auto* box = new QMessageBox(icon, title, text, buttons, parent);
    SetUpBox(*box);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box,
                     [box, finished = std::move(finished)](int result) {
                         // Clicking a standard button finishes with that button; closing the
                         // box any other way finishes with its escape button.
                         auto button = static_cast<QMessageBox::StandardButton>(result);
                         if (box->clickedButton() != nullptr)
                             button = box->standardButton(box->clickedButton());
                         if (finished)
                             finished(button);
                     });
    return box;
}

}  // namespace

void RealMessageBoxes::Inform(QWidget* parent, const QString& title, const QString& text,
                              Closed closed) {
    QMessageBox* box = OpenBox(QMessageBox::Information, parent, title, text, QMessageBox::Ok,
                               [closed = std::move(closed)](QMessageBox::StandardButton) {
                                   if (closed)
                                       closed();
                               });
    box->open();
}

void RealMessageBoxes::Ask(QWidget* parent, const QString& title, const QString& text,
                           Answered answered) {
    QMessageBox* box =
        OpenBox(QMessageBox::Question, parent, title, text, QMessageBox::Yes | QMessageBox::No,
                [answered = std::move(answered)](QMessageBox::StandardButton b) {
                    if (answered)
                        answered(b == QMessageBox::Yes ? Answer::Yes : Answer::No);
                });
    box->setEscapeButton(QMessageBox::No);
    box->open();
}

void RealMessageBoxes::Confirm(QWidget* parent, const QString& title, const QString& text,
                               Answered answered) {
    QMessageBox* box = OpenBox(QMessageBox::Warning, parent, title, text,
                               QMessageBox::Ok | QMessageBox::Cancel,
                               [answered = std::move(answered)](QMessageBox::StandardButton b) {
                                   if (answered)
                                       answered(b == QMessageBox::Ok ? Answer::Ok : Answer::Cancel);
                               });
    box->setDefaultButton(QMessageBox::Cancel);
    box->setEscapeButton(QMessageBox::Cancel);
    box->open();
}

void RealMessageBoxes::Inform(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    SetUpBox(box);
    box.exec();
}

MessageBoxes::Answer RealMessageBoxes::Ask(QWidget* parent, const QString& title,
                                           const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    SetUpBox(box);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

MessageBoxes::Answer RealMessageBoxes::Confirm(QWidget* parent, const QString& title,
                                               const QString& text) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                    parent);
    SetUpBox(box);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

void PumpEvents() {
    NestedLoopScope loop;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void WaitKeepingScreenAlive(int milliseconds) {
    NestedLoopScope loop;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

}  // namespace kagaku::ui
