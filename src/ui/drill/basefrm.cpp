#include "ui/drill/basefrm.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

#include "ui/shell/look.h"

namespace kagaku::ui {

namespace {

// The picture: the program's name on a calm gradient with a few bonds and atoms.
QPixmap MakePicture(const QString& programName) {
    const QSize size(Scaled(640), Scaled(400));
    QPixmap pixmap(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, QColor(40, 90, 170));
    gradient.setColorAt(1, QColor(20, 40, 90));
    painter.fillRect(pixmap.rect(), gradient);
    // A zigzag chain of atoms joined by bonds.
    const int cy = size.height() * 3 / 4;
    const int step = size.width() / 6;
    QVector<QPoint> atoms;
    for (int i = 1; i <= 5; ++i)
        atoms.append(QPoint(i * step, cy - (i % 2 == 0 ? Scaled(30) : 0)));
    painter.setPen(QPen(QColor(255, 255, 255, 110), Scaled(6)));
    for (qsizetype i = 1; i < atoms.size(); ++i)
        painter.drawLine(atoms[i - 1], atoms[i]);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 170));
    for (const QPoint& atom : atoms)
        painter.drawEllipse(atom, Scaled(18), Scaled(18));
    painter.setPen(Qt::white);
    painter.setFont(UiFont(110, true));
    painter.drawText(QRect(0, 0, size.width(), size.height() * 2 / 3), Qt::AlignCenter,
                     programName);
    return pixmap;
}

}  // namespace

BASEFRM::BASEFRM(const QString& programName) : coverPicture_(new QLabel(this)) {
    setObjectName("BASEFRM");
    // Closing only hides the cover; the program keeps it for the next run and deletes it at
    // its end.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(10, 20, 50));
    setPalette(palette);
    setAutoFillBackground(true);
    coverPicture_->setObjectName("Picture1");
    coverPicture_->setPixmap(MakePicture(programName));
    coverPicture_->adjustSize();
}

void BASEFRM::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    CentrePicture();
}

void BASEFRM::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    CentrePicture();
}

void BASEFRM::CentrePicture() {
    coverPicture_->move((width() - coverPicture_->width()) / 2, (height() - coverPicture_->height()) / 2);
}

}  // namespace kagaku::ui
