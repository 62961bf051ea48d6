#pragma once
// A picture that shows one formula typeset by the drill's formula layout: the layout decides
// where every glyph goes and at what size; this only measures the font and draws.

#include <QFont>
#include <QWidget>
#include <string>
#include <vector>

#include "drill/formula_layout.h"

namespace kagaku::ui {

// The formulas' face at a pixel size: a bold fixed-pitch Latin face, so every glyph advances
// exactly the width the layout counts with and a wide "O" never runs into the subscript after
// it. The drill and the printed ranking of mistakes draw with it.
QFont FormulaFont(double pixelSize);

class FormulaView final : public QWidget {
    Q_OBJECT

public:
    explicit FormulaView(QWidget* parent = nullptr);

    // Shows text in the answer notation ("" clears the picture) and draws it at once.
    void SetFormula(const std::string& text);
    const std::string& Formula() const { return text_; }
    // The glyphs as last laid out, in the layout's own units (for tests).
    const std::vector<PlacedGlyph>& Glyphs() const { return glyphs_; }
    // Pixels per layout unit of the last layout.
    double PixelsPerUnit() const { return pixelsPerUnit_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Layout();

    std::string text_;
    std::vector<PlacedGlyph> glyphs_;
    QFont font_;
    double pixelsPerUnit_ = 0.0;
};

}  // namespace kagaku::ui
