#pragma once
// Paints the pages of "よく間違える問題" (mistakes/mistake_views.h): the texts and rules as the
// detail report's pages are painted (report_painter.h), and the answers and wrong answers
// typeset by the drill's formula layout in their cells, on the screen or on paper. The screen's
// table draws its formula cells with the same call.

#include <QRectF>
#include <string>
#include <vector>

#include "mistakes/mistake_views.h"

class QPainter;
class QPrinter;

namespace kagaku::ui {

// The base font size of a printed ranking page, in points.
inline constexpr double kMistakePageBasePoints = 6;

// Draws the notation typeset (subscripts, raised charges, the arrow) in the cell, starting at
// its left edge and centred in its height; a formula too wide for the cell is set smaller.
void PaintFormulaInCell(QPainter& painter, const std::string& notation, const QRectF& cell);

void PaintMistakePage(QPainter& painter, const MistakeRankingPage& page, const QRectF& area,
                      double basePixels, double pixelsPerUnit);

// Prints the pages as one job, a new page between levels. False when the printer could not be
// started.
bool PrintMistakePages(QPrinter& printer, const std::vector<MistakeRankingPage>& pages);

}  // namespace kagaku::ui
