#include "ui/drill/formula_view.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

#include "common/text_ops.h"
#include "ui/shell/look.h"

namespace kagaku::ui {

namespace {

// The base size of a formula on the 1024×768 design, in pixels: large enough to read across a
// classroom.
constexpr int kBasePixels = 72;
// The layout's units are twips: fifteen to a pixel at the design size.
constexpr double kUnitsPerDesignPixel = 15.0;

}  // namespace

QFont FormulaFont(double pixelSize) {
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const char* f : {"DejaVu Sans Mono", "Noto Sans Mono", "IPAGothic"}) {
            if (installed.contains(QString::fromLatin1(f), Qt::CaseInsensitive))
                return QString::fromLatin1(f);
        }
        return QStringLiteral("monospace");
    }();
    QFont font(family);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setKerning(false);
    font.setBold(true);
    font.setPixelSize(std::max(1, static_cast<int>(pixelSize + 0.5)));
    return font;
}

FormulaView::FormulaView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    font_ = FormulaFont(Scaled(kBasePixels));
}

QSize FormulaView::sizeHint() const {
    // Room above the glyphs, the base line, the lowered subscripts and a margin below.
    return {Scaled(900), Scaled(kBasePixels * 2 + 10)};
}

void FormulaView::SetFormula(const std::string& text) {
    text_ = text;
    Layout();
    repaint();
}

void FormulaView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
}

void FormulaView::Layout() {
    // A long equation is set smaller so that it always fits the picture.
    double basePixels = Scaled(kBasePixels);
    const auto length = static_cast<double>(text::Length(text_));
    for (int attempt = 0; attempt < 8; ++attempt) {
        font_ = FormulaFont(basePixels);
        const QFontMetricsF fm(font_);
        pixelsPerUnit_ = basePixels / (kBasePixels * kUnitsPerDesignPixel);
        FormulaMetrics metrics;
        metrics.pictureWidth = width() / pixelsPerUnit_;
        metrics.letterWidth = fm.horizontalAdvance(QStringLiteral("h")) / pixelsPerUnit_;
        metrics.letterHeight = fm.height() / pixelsPerUnit_;
        LayoutFormulaInto(text_, metrics, glyphs_);
        double right = 0.0;
        double left = 0.0;
        if (!glyphs_.empty()) {
            left = glyphs_.front().x;
            right = glyphs_.back().x + metrics.letterWidth * 2.5;
        }
        const bool fits = left >= 0.0 && right <= metrics.pictureWidth;
        if (fits || length == 0.0)
            break;
        basePixels *= 0.85;
    }
    // The whole formula stands in the picture's height too: the top line is placed so that the
    // lowered subscripts keep a margin below.
}

void FormulaView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(Qt::black);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double basePixels = font_.pixelSize();
    // The layout's top line is fixed in units; shift it so the formula stands centred in the
    // picture's height whatever the scale.
    const double glyphBlock = basePixels * 1.5;
    const double yShift = (height() - glyphBlock) / 2.0 - kFormulaTop * pixelsPerUnit_;
    for (const PlacedGlyph& g : glyphs_) {
        QFont f = font_;
        f.setPixelSize(std::max(1, static_cast<int>(basePixels * g.size / kFormulaBaseSize + 0.5)));
        if (g.role == GlyphRole::Charge)
            f.setBold(true);
        painter.setFont(f);
        const QPointF topLeft(g.x * pixelsPerUnit_, g.y * pixelsPerUnit_ + yShift);
        painter.drawText(
            QRectF(topLeft, QSizeF(basePixels * 3, basePixels * 2)),
            Qt::AlignLeft | Qt::AlignTop,  // A negative charge is drawn with a true minus sign,
                                           // plainer than a hyphen.
            g.role == GlyphRole::Charge && g.text == "-" ? QStringLiteral("\u2212") : Q(g.text));
    }
}

}  // namespace kagaku::ui
