#pragma once
// The drill's time bar: the full bar stands for the time limit, the target and minimum marks are
// bars from the same left edge, and the elapsed bar grows over them each second. Widths come
// from the run clock in its own units; this only scales and paints them.

#include <QWidget>

#include "drill/run_clock.h"

namespace kagaku::ui {

class TimeBarView final : public QWidget {
    Q_OBJECT

public:
    explicit TimeBarView(QWidget* parent = nullptr);

    // showMinimum: the minimum mark is drawn (hidden on an untimed level).
    void SetBar(const TimeBar& bar, bool showMinimum);
    void SetElapsedWidth(double width);
    double ElapsedWidth() const { return elapsed_; }
    const TimeBar& Bar() const { return bar_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TimeBar bar_;
    bool showMinimum_ = true;
    double elapsed_ = 0.0;
};

}  // namespace kagaku::ui
