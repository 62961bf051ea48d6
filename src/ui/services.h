#pragma once
// The seams of the screens: message boxes and the wait that keeps the screen alive. The program
// uses the real ones; screen tests put stand-ins in their place (a test can pre-answer the next
// message box).

#include <QString>
#include <functional>

class QWidget;

namespace kagaku::ui {

class MessageBoxes {
public:
    enum class Answer { Ok, Yes, No };
    virtual ~MessageBoxes() = default;
    // A modal message with an OK button.
    virtual void Inform(QWidget* parent, const QString& title, const QString& text) = 0;
    // A modal question with Yes and No buttons.
    virtual Answer Ask(QWidget* parent, const QString& title, const QString& text) = 0;
};

class RealMessageBoxes final : public MessageBoxes {
public:
    void Inform(QWidget* parent, const QString& title, const QString& text) override;
    Answer Ask(QWidget* parent, const QString& title, const QString& text) override;
};

// Lets pending events run (repaints, timer ticks, clicks).
void PumpEvents();
// Waits the given milliseconds while the screen keeps repainting and clocks keep counting.
void WaitKeepingScreenAlive(int milliseconds);

}  // namespace kagaku::ui
