#pragma once
// The seams of the screens: message boxes and the wait that keeps the screen alive. The program
// uses the real ones; screen tests put stand-ins in their place (a test can pre-answer the next
// message box).

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <utility>


namespace kagaku::ui {

// Message boxes open over their parent, window-modal, and return at once; the callback runs
// when the box is answered. A box goes with its parent: once the parent screen has been
// deleted, its box's callback never runs. A box with no parent stands on its own.
class MessageBoxes {
public:
    enum class Answer { Ok, Yes, No, Cancel };
    using Closed = std::function<void()>;
    using Answered = std::function<void(Answer)>;
    virtual ~MessageBoxes() = default;
    // A message with an OK button; closed runs once it is dismissed.
    virtual void Inform(QWidget* parent, const QString& title, const QString& text,
                        Closed closed) = 0;
    // A question with Yes and No buttons: Yes or No.
    virtual void Ask(QWidget* parent, const QString& title, const QString& text,
                     Answered answered) = 0;
    // A warning with OK and Cancel buttons (Cancel the default): Ok or Cancel.
    virtual void Confirm(QWidget* parent, const QString& title, const QString& text,
                         Answered answered) = 0;

    // The blocking forms run a nested event loop; they go once every caller uses the forms
    // above.
    virtual void Inform(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual Answer Ask(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual Answer Confirm(QWidget* parent, const QString& title, const QString& text) = 0;
};

class RealMessageBoxes final : public MessageBoxes {
public:
    void Inform(QWidget* parent, const QString& title, const QString& text,
                Closed closed) override;
    void Ask(QWidget* parent, const QString& title, const QString& text,
             Answered answered) override;
    void Confirm(QWidget* parent, const QString& title, const QString& text,
                 Answered answered) override;
    void Inform(QWidget* parent, const QString& title, const QString& text) override;
    Answer Ask(QWidget* parent, const QString& title, const QString& text) override;
    Answer Confirm(QWidget* parent, const QString& title, const QString& text) override;
};

// Forwards to another set of message boxes, counting each box as a nested event loop while it
// is open (the program hands this one to the screens).
class CountingMessageBoxes final : public MessageBoxes {
public:
    explicit CountingMessageBoxes(MessageBoxes& boxes) : boxes_(boxes) {}
    void Inform(QWidget* parent, const QString& title, const QString& text,
                Closed closed) override {
        boxes_.Inform(parent, title, text, std::move(closed));
    }
    void Ask(QWidget* parent, const QString& title, const QString& text,
             Answered answered) override {
        boxes_.Ask(parent, title, text, std::move(answered));
    }
    void Confirm(QWidget* parent, const QString& title, const QString& text,
                 Answered answered) override {
        boxes_.Confirm(parent, title, text, std::move(answered));
    }
    void Inform(QWidget* parent, const QString& title, const QString& text) override;
    Answer Ask(QWidget* parent, const QString& title, const QString& text) override;
    Answer Confirm(QWidget* parent, const QString& title, const QString& text) override;

private:
    MessageBoxes& boxes_;
};

// Lets pending events run (repaints, timer ticks, clicks).
void PumpEvents();
// Waits the given milliseconds while the screen keeps repainting and clocks keep counting.
void WaitKeepingScreenAlive(int milliseconds);

// Every place that lets events run inside a handler (a message box, a wait, a sound, a pump)
// holds one of these while it runs. While any is held, a timer tick or a click is running
// inside some handler that has not finished: a screen must not end a run or go away beneath it.
class NestedLoopScope {
public:
    NestedLoopScope();
    ~NestedLoopScope();
    NestedLoopScope(const NestedLoopScope&) = delete;
    NestedLoopScope& operator=(const NestedLoopScope&) = delete;
};
// True while some handler is letting events run.
bool InNestedLoop();

// A closed screen hides at once but is deleted only once no nested event loop runs, so that no
// handler still on the stack (a message box's, a sound's, a wait's) is left with a deleted
// screen. Screens call this instead of deleting themselves on close; a screen shown again
// before its turn comes is kept.
void DeleteOnCloseWhenIdle(QWidget* screen);
// True once the screen has been closed (or deleted). A handler that let events run checks this
// before it goes on with its screen: a closed screen stays in memory until the handler is done,
// but nothing more is done with it.
template <typename Screen>
bool IsClosed(const QPointer<Screen>& screen) {
    return screen.isNull() || screen->isHidden();
}
// Deletes every closed screen still waiting (at the end of the program).
void DeleteClosedScreensNow();

}  // namespace kagaku::ui
