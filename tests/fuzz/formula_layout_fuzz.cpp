// Any typed answer: the notation parser judges it and the layout places one glyph per
// character (the arrow for "="), all at finite positions.
#include <cmath>
#include <cstdlib>

#include "drill/answer_notation.h"
#include "drill/formula_layout.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kagaku;
    const std::string_view text = fuzz::Bytes(data, size);
    const NotationResult result = ParseAnswerNotation(text);
    if (result.ok && result.parsed.IsEquation()) {
        std::string problem;
        (void)IsBalancedEquation(result.parsed, &problem);
    }
    const FormulaMetrics metrics{9000.0, 240.0, 330.0};
    for (const PlacedGlyph& glyph : LayoutFormula(text, metrics)) {
        if (!std::isfinite(glyph.x) || !std::isfinite(glyph.y) || glyph.size <= 0.0) {
            std::abort();
        }
    }
    return 0;
}
