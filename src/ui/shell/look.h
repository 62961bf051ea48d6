#pragma once
// The look shared by every screen: Japanese fonts from the system's packages, a fixed-pitch CJK
// font for lists whose columns are built from blanks and full-width spaces, sizes designed for a
// 1024×768 screen and scaled up with larger ones, and colours stored as 0x00BBGGRR.

#include <QColor>
#include <QFont>
#include <QString>
#include <cstdint>
#include <string>

class QWidget;
class QLabel;

namespace kagaku::ui {

// Proportional Japanese font for captions and buttons; pixelSize is for a 1024×768 screen.
QFont UiFont(int designPixelSize, bool bold = false);
// Fixed-pitch Japanese font for lists: every full-width character is exactly two half-width
// characters wide.
QFont FixedFont(int designPixelSize);
// Scale of the current screen against the 1024×768 design.
double ScreenScale();
int Scaled(int designPixels);

QColor ColourFromBgr(std::uint32_t bgr);
QString Q(const std::string& utf8);
std::string U(const QString& text);

// A label that shows data as plain text, never as rich text.
QLabel* PlainLabel(const QString& text, QWidget* parent = nullptr);

// Shows a screen over the whole display; Enter presses its focused button.
void ShowFullScreen(QWidget* screen);

}  // namespace kagaku::ui
