// The notation reader is what checks the problem bank; these cases make sure it would catch a
// wrong answer rather than wave it through.

#include <gtest/gtest.h>

#include "drill/answer_notation.h"

namespace kagaku {
namespace {

struct NotationCase {
    const char* text;
    bool valid;
    bool balanced;  // for equations
};

TEST(AnswerNotation, AcceptsSoundAnswersAndRefusesBrokenOnes) {
    const NotationCase cases[] = {
        {"H2O", true, false},
        {"Ca10(PO4)6(OH)2", true, false},
        {"(NH4)2SO4", true, false},
        {"SO4-2", true, false},
        {"NH4\\", true, false},
        {"2H2+O2=2H2O", true, true},
        {"CuCl2=Cu\\2+2Cl-", true, true},
        {"Cu\\2+2e-=Cu", true, true},
        {"Al2(SO4)3=2Al\\3+3SO4-2", true, true},
        {"H2+O2=H2O", true, false},         // atoms off
        {"CuCl2=Cu\\2+Cl-", true, false},   // atoms and charge off
        {"Zn+Cu\\2=Zn\\+Cu", true, false},  // charge only off
        {"Xx2", false, false},              // no such element
        {"h2o", false, false},              // case matters
        {"H1", false, false},               // a count of 1 is never written
        {"1H2", false, false},              // nor a coefficient of 1
        {"H02", false, false},              // a count never starts with 0
        {"Na\\1", false, false},            // a charge of one has no size digit
        {"Ca(OH2", false, false},           // unclosed
        {"CaOH)2", false, false},           // stray ")"
        {"H2+=H2", false, false},           // empty species
        {"A=B=C", false, false},            // two arrows
        {"e", false, false},                // an electron carries its charge
        // Counts too large to add up: refused, never overflowing a total.
        {"H999999(H999999)999999", false, false},
        {"5522H555522H55522Ts=2H2O", false, false},
        {"99999H99999+99999H99999=H", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const NotationResult r = ParseAnswerNotation(c.text);
        ASSERT_EQ(r.ok, c.valid) << r.problem;
        if (r.ok && r.parsed.IsEquation()) {
            EXPECT_EQ(IsBalancedEquation(r.parsed), c.balanced);
        }
    }
}

TEST(AnswerNotation, CountsAtomsThroughGroupsAndCoefficients) {
    // A fault in group multiplication would pass unbalanced apatite or sulfate equations.
    const NotationResult r = ParseAnswerNotation("3Ca10(PO4)6(OH)2");
    ASSERT_TRUE(r.ok);
    const auto totals = AtomTotals(r.parsed.sides[0]);
    EXPECT_EQ(totals.at("Ca"), 30);
    EXPECT_EQ(totals.at("P"), 18);
    EXPECT_EQ(totals.at("O"), 78);
    EXPECT_EQ(totals.at("H"), 6);
}

}  // namespace
}  // namespace kagaku
