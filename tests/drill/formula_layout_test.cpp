#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drill/formula_layout.h"

namespace kagaku {
namespace {

// Round numbers so positions can be written down: w = 100, h = 200 in a 3000-wide picture.
constexpr FormulaMetrics kMetrics{3000.0, 100.0, 200.0};
constexpr double kBase = kFormulaBaseSize;
constexpr double kHalf = kFormulaBaseSize / 2.0;
constexpr double kTop = kFormulaTop;
constexpr double kLowered = kFormulaTop + 100.0;  // half a letter height down

// One letter per glyph: N normal, S subscript, C charge, A arrow.
std::string Roles(const std::vector<PlacedGlyph>& glyphs) {
    std::string roles;
    for (const auto& g : glyphs) {
        switch (g.role) {
            case GlyphRole::Normal:
                roles += 'N';
                break;
            case GlyphRole::Subscript:
                roles += 'S';
                break;
            case GlyphRole::Charge:
                roles += 'C';
                break;
            case GlyphRole::Arrow:
                roles += 'A';
                break;
        }
    }
    return roles;
}

std::string Texts(const std::vector<PlacedGlyph>& glyphs) {
    std::string s;
    for (const auto& g : glyphs)
        s += g.text;
    return s;
}

struct RoleCase {
    const char* formula;
    const char* roles;
    const char* drawn;
};

TEST(FormulaLayout, EveryDigitOfARunAfterASymbolIsASubscriptAndCoefficientsStayNormal) {
    // The old renderer made only the first digit a subscript (C₁2H₂2O₁1), and would have made
    // the second digit of a coefficient a subscript.
    const RoleCase cases[] = {
        {"C12H22O11", "NSSNSSNSS", "C12H22O11"},
        {"Ca10(PO4)6(OH)2", "NNSSNNNSNSNNNNS", "Ca10(PO4)6(OH)2"},
        {"2H2+O2=2H2O", "NNSNNSANNSN", "2H2+O2→2H2O"},
        {"12H2", "NNNS", "12H2"},  // a two-digit coefficient
        {"10CO2", "NNNNS", "10CO2"},
        {"H0", "NN", "H0"},           // a zero never starts a subscript
        {"SO4-2", "NNSCC", "SO42-"},  // the size before the sign, both raised
        {"Na\\", "NNC", "Na+"},
        {"Al\\3", "NNCC", "Al3+"},
        {"CuCl2=Cu\\2+2Cl-", "NNNNSANNCCNNNNC", "CuCl2→Cu2++2Cl-"},
        {"2e-", "NNC", "2e-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.formula);
        const auto glyphs = LayoutFormula(c.formula, kMetrics);
        EXPECT_EQ(Roles(glyphs), c.roles);
        EXPECT_EQ(Texts(glyphs), c.drawn);
        for (const auto& g : glyphs) {
            const bool half = g.role == GlyphRole::Subscript || g.role == GlyphRole::Charge;
            EXPECT_EQ(g.size, half ? kHalf : kBase) << g.text;
            EXPECT_EQ(g.y, g.role == GlyphRole::Subscript ? kLowered : kTop) << g.text;
        }
    }
}

TEST(FormulaLayout, SulfateChargeStandsAboveTheSubscript) {
    // Centred: ((3000 - 5 * 100) - 200) / 2 + 50 = 1200.
    const std::vector<PlacedGlyph> expected = {
        {"S", 1200, kTop, kBase, GlyphRole::Normal},
        {"O", 1300, kTop, kBase, GlyphRole::Normal},
        {"4", 1400, kLowered, kHalf, GlyphRole::Subscript},
        {"2", 1400, kTop, kHalf, GlyphRole::Charge},
        {"-", 1450, kTop, kHalf, GlyphRole::Charge},
    };
    EXPECT_EQ(LayoutFormula("SO4-2", kMetrics), expected);
}

TEST(FormulaLayout, ChargeAfterAMultiDigitSubscriptStandsAboveItsLastDigit) {
    // B12H12 2-: the charge belongs over the "2" of "12", not after it or over the "1".
    const auto g = LayoutFormula("B12H12-2", kMetrics);
    ASSERT_EQ(Roles(g), "NSSNSSCC");
    EXPECT_EQ(g[6].x, g[5].x);
    EXPECT_EQ(g[7].x, g[5].x + 50);
}

TEST(FormulaLayout, AdvancesAreWHalfWAndTwoAndAHalfWForTheArrow) {
    // 2H2+O2=2H2O, 11 characters: starts at ((3000 - 1100) - 200) / 2 + 50 = 900.
    const auto g = LayoutFormula("2H2+O2=2H2O", kMetrics);
    const double xs[] = {900, 1000, 1100, 1150, 1300, 1400, 1450, 1700, 1800, 1900, 1950};
    ASSERT_EQ(g.size(), std::size(xs));
    for (std::size_t i = 0; i < g.size(); ++i)
        EXPECT_EQ(g[i].x, xs[i]) << i << " " << g[i].text;
}

TEST(FormulaLayout, PositiveChargeFollowsItsSpecies) {
    const auto g = LayoutFormula("Na\\", kMetrics);
    ASSERT_EQ(g.size(), 3u);
    EXPECT_EQ(g[2].text, "+");
    EXPECT_EQ(g[2].x, g[1].x + 100);
}

TEST(FormulaLayout, EmptyTextDrawsNothing) {
    EXPECT_TRUE(LayoutFormula("", kMetrics).empty());
}

}  // namespace
}  // namespace kagaku
