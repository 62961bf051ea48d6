#pragma once
// The splash: the program's name and today's date in the Japanese era calendar. It picks the
// season colour, and 100 ms after it shows, it runs the start-up and closes.

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

private:
    void Timer1_Timer();

    Program& program_;
    QLabel* label5_;
    QTimer* timer1_;
};

}  // namespace kagaku::ui
