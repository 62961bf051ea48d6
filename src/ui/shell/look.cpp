#include "ui/shell/look.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace kagaku::ui {

namespace {

QString FirstInstalled(const QStringList& families) {
    const QStringList installed = QFontDatabase::families();
    for (const QString& f : families) {
        if (installed.contains(f, Qt::CaseInsensitive))
            return f;
    }
    return families.front();
}

}  // namespace

double ScreenScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return 1.0;
    const QSize size = screen->size();
    return std::max(1.0, std::min(size.width() / 1024.0, size.height() / 768.0));
}

int Scaled(int designPixels) {
    return static_cast<int>(designPixels * ScreenScale() + 0.5);
}

QFont UiFont(int designPixelSize, bool bold) {
    static const QString family =
        FirstInstalled({"IPAPGothic", "IPA Pゴシック", "Noto Sans CJK JP", "IPAGothic"});
    QFont font(family);
    font.setPixelSize(Scaled(designPixelSize));
    font.setBold(bold);
    return font;
}

QFont FixedFont(int designPixelSize) {
    static const QString family =
        FirstInstalled({"ＭＳ ゴシック", "MS Gothic", "IPAGothic", "IPAゴシック",
                        "Noto Sans Mono CJK JP", "VL Gothic"});
    QFont font(family);
    font.setPixelSize(Scaled(designPixelSize));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setKerning(false);
    return font;
}

QColor ColourFromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

std::string U(const QString& text) {
    return text.toStdString();
}

QLabel* PlainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

void ShowFullScreen(QWidget* screen) {
    // Full screen is a request to the window manager; on a bare X session without one the
    // window keeps its own geometry, so that geometry is the whole display to begin with.
    const QScreen* display = screen->screen();
    if (display == nullptr)
        display = QGuiApplication::primaryScreen();
    if (display != nullptr)
        screen->setGeometry(display->geometry());
    // Enter presses whichever button has the focus, as the space bar does, on every screen
    // (outside a dialog Qt leaves that to the space bar alone).
    for (QPushButton* button : screen->findChildren<QPushButton*>())
        button->setAutoDefault(true);
    screen->showFullScreen();
    screen->raise();
    screen->activateWindow();
}

}  // namespace kagaku::ui
