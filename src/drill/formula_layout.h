#pragma once
// Typesetting an answer: where each glyph of a formula goes and at what size. The screen draws
// exactly what this returns, so every rule of the chemistry's look lives here and is tested
// without a window. Units are the picture's own (twips on the drill screen); the font metrics
// come in from the screen so the logic never touches a font.
//
// Rules: letters, "(", ")", coefficients and "+" at the base size on the base line; every digit
// of a run that follows a letter or ")" is a subscript (half size, lowered by half a letter
// height) - a zero never starts one; a charge ("\" or "-", with an optional size 1-9) is drawn
// raised at half size right after its species, and above the last digit of a subscript when
// it follows one; "=" is drawn as the arrow "→". Advances: w for a normal glyph, w/2 for a
// subscript digit, 2.5w for the arrow, 1.5w for "+".

#include <string>
#include <string_view>
#include <vector>

namespace kagaku {

inline constexpr double kFormulaBaseSize = 48.0;  // points
inline constexpr double kFormulaTop = 500.0;      // top of the base line's glyphs
inline constexpr double kFormulaMargin = 200.0;   // taken off the width before centring

struct FormulaMetrics {
    double pictureWidth = 0.0;
    double letterWidth = 0.0;   // w: width of "h" at the base size
    double letterHeight = 0.0;  // h: height of "h" at the base size
};

enum class GlyphRole { Normal, Subscript, Charge, Arrow };

struct PlacedGlyph {
    std::string text;   // one character (UTF-8); "→" for the arrow, "+" for a positive charge
    double x = 0.0;     // left edge
    double y = 0.0;     // top edge
    double size = 0.0;  // font size in points
    GlyphRole role = GlyphRole::Normal;
    friend bool operator==(const PlacedGlyph&, const PlacedGlyph&) = default;
};

// Lays out text (the answer notation) centred in a picture of the given metrics.
std::vector<PlacedGlyph> LayoutFormula(std::string_view text, const FormulaMetrics& metrics);

// The same into a caller's vector (cleared first), so a screen redrawing on every key keeps
// one allocation.
void LayoutFormulaInto(std::string_view text, const FormulaMetrics& metrics,
                       std::vector<PlacedGlyph>& out);

}  // namespace kagaku
