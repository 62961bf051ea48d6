#pragma once
// The splash: the program's name and today's date in the Japanese era calendar. It picks the
// season colour, and 100 ms after the event loop has taken over the shown splash, it runs the
// start-up; the name screen then takes its place.

#include <QTimer>
#include <QWidget>

class QLabel;

namespace kagaku::ui {

class Program;

class Firstfrm final : public QWidget {
    Q_OBJECT

public:
    explicit Firstfrm(Program& program);
    QLabel* label5() const { return label5_; }
    // Starts Timer1 from the event loop; called once the splash is on screen.
    void StartTimer1();

private:
    void Timer1_Timer();

    Program& program_;
    QLabel* label5_;
    QTimer* timer1_;
};

}  // namespace kagaku::ui
