#pragma once
// The screens' message boxes. The program uses the real ones; screen tests put stand-ins in
// their place (a test can pre-answer the next message box, or let a real one answer itself
// after a while).

#include <QString>
#include <functional>

class QWidget;

namespace kagaku::ui {

// Message boxes open over their parent, window-modal, and return at once; the callback runs
// when the box is answered. No box runs an event loop of its own: ticks and clicks on other
// windows go on meanwhile, and each screen decides what they may do while its box is open. A
// box goes with its parent: once the parent screen has been deleted, its box's callback never
// runs. A box with no parent stands on its own.
class MessageBoxes {
public:
    enum class Answer { Ok, Yes, No, Cancel };
    using Closed = std::function<void()>;
    using Answered = std::function<void(Answer)>;
    virtual ~MessageBoxes() = default;
    // A message with an OK button; closed runs once it is dismissed.
    virtual void Inform(QWidget* parent, const QString& title, const QString& text,
                        Closed closed = {}) = 0;
    // A question with Yes and No buttons: Yes or No.
    virtual void Ask(QWidget* parent, const QString& title, const QString& text,
                     Answered answered) = 0;
    // A warning with OK and Cancel buttons (Cancel the default): Ok or Cancel.
    virtual void Confirm(QWidget* parent, const QString& title, const QString& text,
                         Answered answered) = 0;
};

class RealMessageBoxes final : public MessageBoxes {
public:
    void Inform(QWidget* parent, const QString& title, const QString& text,
                Closed closed = {}) override;
    void Ask(QWidget* parent, const QString& title, const QString& text,
             Answered answered) override;
    void Confirm(QWidget* parent, const QString& title, const QString& text,
                 Answered answered) override;
};

}  // namespace kagaku::ui
