#include "drill/formula_layout.h"

#include "common/text_ops.h"

namespace kagaku {

namespace {

bool IsLetter(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}
bool IsDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}
bool IsChargeSize(char32_t c) {
    return c >= U'1' && c <= U'9';
}

// What the digits that come next are.
enum class DigitRun {
    Normal,       // at the start, after "+", "=", "(" or a charge: a coefficient
    AfterSymbol,  // right after a letter or ")": a non-zero digit starts a subscript
    InSubscript,  // inside a subscript: every further digit belongs to it
};

}  // namespace

void LayoutFormulaInto(std::string_view text, const FormulaMetrics& metrics,
                       std::vector<PlacedGlyph>& out) {
    out.clear();
    const std::u32string chars = text::ToU32(text);
    const double w = metrics.letterWidth;
    const double h = metrics.letterHeight;
    const double half = kFormulaBaseSize / 2.0;
    const double y0 = kFormulaTop;

    double x =
        ((metrics.pictureWidth - w * static_cast<double>(chars.size())) - kFormulaMargin) / 2.0 +
        0.5 * w;
    // Where a charge goes: right after the last glyph, or on the last subscript digit so that
    // the charge stands above it.
    double after = 0.0;
    DigitRun run = DigitRun::Normal;

    auto place = [&out](std::string glyph, double gx, double gy, double size, GlyphRole role) {
        out.push_back(PlacedGlyph{std::move(glyph), gx, gy, size, role});
    };

    for (std::size_t i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        if (c == U'\\' || c == U'-') {
            run = DigitRun::Normal;
            const char* sign = c == U'\\' ? "+" : "-";
            x = after;
            if (i + 1 < chars.size() && IsChargeSize(chars[i + 1])) {
                place(text::FromCodePoint(chars[i + 1]), x, y0, half, GlyphRole::Charge);
                x += w / 2.0;
                ++i;
            }
            place(sign, x, y0, half, GlyphRole::Charge);
            after = x;
            x += w;
        } else if (IsDigit(c) &&
                   (run == DigitRun::InSubscript || (run == DigitRun::AfterSymbol && c != U'0'))) {
            run = DigitRun::InSubscript;
            place(text::FromCodePoint(c), x, y0 + h / 2.0, half, GlyphRole::Subscript);
            after = x;
            x += w / 2.0;
        } else if (c == U'=') {
            run = DigitRun::Normal;
            place("→", x, y0, kFormulaBaseSize, GlyphRole::Arrow);
            x += 2.5 * w;
            after = x;
        } else {
            place(text::FromCodePoint(c), x, y0, kFormulaBaseSize, GlyphRole::Normal);
            x += w;
            after = x;
            if (IsLetter(c) || c == U')') {
                run = DigitRun::AfterSymbol;
            } else {
                run = DigitRun::Normal;
                if (c == U'+')
                    x += w / 2.0;
            }
        }
    }
}

std::vector<PlacedGlyph> LayoutFormula(std::string_view text, const FormulaMetrics& metrics) {
    std::vector<PlacedGlyph> out;
    LayoutFormulaInto(text, metrics, out);
    return out;
}

}  // namespace kagaku
