#include "ui/teacher/mistake_pages_painter.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <limits>

#include "drill/formula_layout.h"
#include "ui/drill/formula_view.h"
#include "ui/shell/look.h"
#include "ui/menu/report_painter.h"

namespace kagaku::ui {

namespace {

// The glyph block of a formula (raised charges to lowered subscripts) is this many base sizes
// high; the base size is chosen so that the block fills most of the cell's height.
constexpr double kBlockHeights = 1.25;
constexpr double kCellFill = 0.85;

}  // namespace

void PaintFormulaInCell(QPainter& painter, const std::string& notation, const QRectF& cell) {
    if (notation.empty() || cell.width() <= 0 || cell.height() <= 0)
        return;
    double basePixels = cell.height() * kCellFill / kBlockHeights;
    std::vector<PlacedGlyph> glyphs;
    double pixelsPerUnit = 0;
    double left = 0;
    QFont font;
    for (int attempt = 0; attempt < 10; ++attempt) {
        font = FormulaFont(basePixels);
        const QFontMetricsF fm(font, painter.device());
        pixelsPerUnit = basePixels / (72.0 * 15.0);
        FormulaMetrics metrics;
        // Laid out in a wide picture and moved to the cell's left edge afterwards.
        metrics.pictureWidth = 1e6;
        metrics.letterWidth = fm.horizontalAdvance(QStringLiteral("h")) / pixelsPerUnit;
        metrics.letterHeight = fm.height() / pixelsPerUnit;
        LayoutFormulaInto(notation, metrics, glyphs);
        if (glyphs.empty())
            return;
        left = std::numeric_limits<double>::max();
        double right = 0;
        for (const PlacedGlyph& g : glyphs) {
            left = std::min(left, g.x);
            right = std::max(right, g.x + metrics.letterWidth * g.size / kFormulaBaseSize);
        }
        if ((right - left) * pixelsPerUnit <= cell.width())
            break;
        basePixels *= 0.85;
    }
    painter.save();
    painter.setClipRect(cell);
    painter.setPen(Qt::black);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double yShift = cell.top() + (cell.height() - basePixels * kBlockHeights) / 2.0 -
                          kFormulaTop * pixelsPerUnit;
    for (const PlacedGlyph& g : glyphs) {
        QFont f = font;
        f.setPixelSize(std::max(1, static_cast<int>(basePixels * g.size / kFormulaBaseSize + 0.5)));
        painter.setFont(f);
        const QPointF topLeft(cell.left() + (g.x - left) * pixelsPerUnit,
                              g.y * pixelsPerUnit + yShift);
        painter.drawText(
            QRectF(topLeft, QSizeF(basePixels * 3, basePixels * 2)), Qt::AlignLeft | Qt::AlignTop,
            g.role == GlyphRole::Charge && g.text == "-" ? QStringLiteral("\u2212") : Q(g.text));
    }
    painter.restore();
}

void PaintMistakePage(QPainter& painter, const MistakeRankingPage& page, const QRectF& area,
                      double basePixels, double pixelsPerUnit) {
    PaintReportPage(painter, page.Page, area, PaintScale{basePixels, pixelsPerUnit});
    for (const FormulaCell& c : page.Formulas) {
        const QRectF cell(area.left() + c.X * area.width(), area.top() + c.Y * area.height(),
                          c.Width * area.width(), c.Height * area.height());
        PaintFormulaInCell(painter, c.Notation, cell);
    }
}

bool PrintMistakePages(QPrinter& printer, const std::vector<MistakeRankingPage>& pages) {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF area(0, 0, printer.width(), printer.height());
    const int dpi = printer.resolution();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0)
            printer.newPage();
        PaintMistakePage(painter, pages[i], area, kMistakePageBasePoints * dpi / 72.0,
                         dpi / 96.0);
    }
    return painter.end();
}

}  // namespace kagaku::ui
