#include "ui/shell/services.h"

#include <QMessageBox>
#include <QWidget>
#include <utility>

#include "ui/shell/look.h"

namespace kagaku::ui {

namespace {

// Plain text at a size a pupil reads from a full-screen drill, not the desktop's small default.
void SetUpBox(QMessageBox& box) {
    box.setTextFormat(Qt::PlainText);
    box.setFont(UiFont(22));
}

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

}  // namespace kagaku::ui
