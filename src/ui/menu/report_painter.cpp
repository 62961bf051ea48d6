#include "ui/menu/report_painter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <algorithm>

#include "ui/shell/look.h"

namespace kagaku::ui {

namespace {

// The name and the level's title are no taller than this share of the area, so that they stay
// inside the band above the block's second rule.
constexpr double kTallestTitle = 0.018;

}  // namespace

PaintScale ScreenPaintScale(const QRectF& area) {
    return PaintScale{std::max(8.0, area.height() * 0.015), 1.0};
}

ReportMetrics ScreenReportMetrics(const QRectF& area) {
    if (area.height() <= 0 || area.width() <= 0)
        return {};
    return ReportMetrics{ScreenPaintScale(area).BasePixels / area.height(),
                         area.width() / area.height()};
}

ReportMetrics PaperReportMetrics(const ReportDocument& doc, const QSizeF& printableMillimetres) {
    if (printableMillimetres.height() <= 0 || printableMillimetres.width() <= 0)
        return {};
    constexpr double kMillimetresPerPoint = 25.4 / 72.0;
    return ReportMetrics{doc.BaseFontPoints * kMillimetresPerPoint / printableMillimetres.height(),
                         printableMillimetres.width() / printableMillimetres.height()};
}

PaintScale PaperPaintScale(const ReportDocument& doc, int dpi) {
    return PaintScale{doc.BaseFontPoints * dpi / 72.0, dpi / 96.0};
}

void PaintReportPage(QPainter& painter, const ReportPage& page, const QRectF& area,
                     const PaintScale& scale) {
    const auto at = [&](double x, double y) {
        return QPointF(area.left() + x * area.width(), area.top() + y * area.height());
    };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const ReportLine& l : page.Lines) {
        QPen pen(Qt::black, std::max(1.0, l.Width * scale.PixelsPerUnit));
        pen.setCapStyle(Qt::RoundCap);
        painter.setPen(pen);
        painter.drawLine(at(l.X1, l.Y1), at(l.X2, l.Y2));
    }
    for (const ReportPoint& p : page.Points) {
        QPen pen(ColourFromBgr(p.Colour), std::max(1.0, p.Size * scale.PixelsPerUnit));
        pen.setCapStyle(Qt::RoundCap);
        painter.setPen(pen);
        painter.drawPoint(at(p.X, p.Y));
    }
    painter.setPen(Qt::black);
    QFont font = FixedFont(10);
    for (const ReportText& t : page.Texts) {
        double pixels = t.FontScale * scale.BasePixels;
        if (t.FontScale >= 2)
            pixels = std::min(pixels, kTallestTitle * area.height());
        const QString text = Q(t.Text);
        font.setPixelSize(std::max(1, static_cast<int>(pixels + 0.5)));
        if (t.MaxWidth > 0) {
            const double room = t.MaxWidth * area.width();
            const double wide = QFontMetricsF(font, painter.device()).horizontalAdvance(text);
            if (wide > room)
                font.setPixelSize(std::max(1, static_cast<int>(pixels * room / wide)));
        }
        painter.setFont(font);
        const QFontMetricsF metrics(font, painter.device());
        QPointF origin = at(t.X, t.Y);
        switch (t.Anchor) {
            case TextAnchor::TopLeft:
                origin.ry() += metrics.ascent();
                break;
            case TextAnchor::MiddleLeft:
                origin.ry() += metrics.ascent() - metrics.height() / 2;
                break;
            case TextAnchor::TopCentre:
                origin.ry() += metrics.ascent();
                origin.rx() -= metrics.horizontalAdvance(text) / 2;
                break;
            case TextAnchor::MiddleRight:
                origin.ry() += metrics.ascent() - metrics.height() / 2;
                origin.rx() -= metrics.horizontalAdvance(text);
                break;
        }
        painter.drawText(origin, text);
    }
    painter.restore();
}

bool PrintReport(QPrinter& printer, const ReportDocument& doc) {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF area(0, 0, printer.width(), printer.height());
    const PaintScale scale = PaperPaintScale(doc, printer.resolution());
    for (std::size_t i = 0; i < doc.Pages.size(); ++i) {
        if (i > 0)
            printer.newPage();
        PaintReportPage(painter, doc.Pages[i], area, scale);
    }
    return painter.end();
}

}  // namespace kagaku::ui
