#pragma once
// Paints a page of the detail report with QPainter, on the screen's drawing area or on a
// printed page: positions are fractions of the area, widths are screen pixels scaled to the
// device, texts use the fixed-pitch font so the figures' columns line up.

#include <QRectF>
#include <QSizeF>

#include "board/detail_report.h"

class QPainter;
class QPrinter;

namespace kagaku::ui {

struct PaintScale {
    double BasePixels = 8;     // the base font size in device pixels
    double PixelsPerUnit = 1;  // device pixels per screen pixel (line widths, point sizes)
};

// The scale of the drawing area on the screen: the texts grow with the area so that they stay
// readable on a large screen.
PaintScale ScreenPaintScale(const QRectF& area);
// The scale of a printed page: the base font size in points at the printer's resolution.
PaintScale PaperPaintScale(const ReportDocument& doc, int dpi);

// The same as the logic's text measures, so that the chart's labels are placed for the area
// they are painted on: the screen's drawing area, or a page of the given printable size.
ReportMetrics ScreenReportMetrics(const QRectF& area);
ReportMetrics PaperReportMetrics(const ReportDocument& doc, const QSizeF& printableMillimetres);

void PaintReportPage(QPainter& painter, const ReportPage& page, const QRectF& area,
                     const PaintScale& scale);

// Prints every page of the document on the printer (one job: a new page between pages).
// False when the printer could not be started.
bool PrintReport(QPrinter& printer, const ReportDocument& doc);

}  // namespace kagaku::ui
