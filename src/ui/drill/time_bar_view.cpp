#include "ui/drill/time_bar_view.h"

#include <QPainter>

#include "ui/shell/look.h"

namespace kagaku::ui {

TimeBarView::TimeBarView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize TimeBarView::sizeHint() const {
    return {Scaled(800), Scaled(56)};
}

void TimeBarView::SetBar(const TimeBar& bar, bool showMinimum) {
    bar_ = bar;
    showMinimum_ = showMinimum;
    elapsed_ = 0.0;
    update();
}

void TimeBarView::SetElapsedWidth(double width) {
    elapsed_ = width;
    repaint();
}

void TimeBarView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const double full = bar_.fullWidth > 0.0 ? bar_.fullWidth : 1.0;
    const double px = width() / full;
    const int h = height();
    const int markH = h / 4;
    // The full bar.
    painter.fillRect(rect(), QColor(0xE8, 0xE8, 0xE8));
    // The marks: the target time (green) and the minimum standard (orange) along the top and
    // bottom edges, so they stay visible while the elapsed bar grows between them.
    painter.fillRect(QRectF(0, 0, bar_.targetWidth * px, markH), QColor(0x2E, 0x9E, 0x3A));
    if (showMinimum_) {
        painter.fillRect(QRectF(0, h - markH, bar_.minimumWidth * px, markH),
                         QColor(0xF0, 0x8C, 0x00));
    }
    // The elapsed time.
    painter.fillRect(QRectF(0, markH, elapsed_ * px, h - 2 * markH), QColor(0x1E, 0x5A, 0xD6));
    painter.setPen(QPen(Qt::black, 2));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
}

}  // namespace kagaku::ui
