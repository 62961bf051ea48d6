// The cost of redrawing an answer and of handling one key on the drill screen. A key must feel
// instant: the target is far under a millisecond, far under one frame. Each measurement stands
// beside its floor, the least the work could cost (one pass over the characters).

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "common/clock.h"
#include "common/text_ops.h"
#include "drill/formula_layout.h"
#include "drill/timed_drill.h"

namespace {

using namespace kagaku;

constexpr FormulaMetrics kMetrics{12000.0, 540.0, 1100.0};
const char* const kLongFormula = "2NH4Cl+Ca(OH)2=CaCl2+2NH3+2H2O";

// Floor: decode the text and touch every character once.
void BM_FloorOnePassOverTheText(benchmark::State& state) {
    const std::string text = kLongFormula;
    for (auto _ : state) {
        std::u32string chars = text::ToU32(text);
        char32_t sum = 0;
        for (char32_t c : chars)
            sum += c;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FloorOnePassOverTheText);

void BM_LayoutLongEquation(benchmark::State& state) {
    std::vector<PlacedGlyph> glyphs;
    for (auto _ : state) {
        LayoutFormulaInto(kLongFormula, kMetrics, glyphs);
        benchmark::DoNotOptimize(glyphs.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LayoutLongEquation);

void BM_LayoutApatite(benchmark::State& state) {
    std::vector<PlacedGlyph> glyphs;
    for (auto _ : state) {
        LayoutFormulaInto("Ca10(PO4)6(OH)2", kMetrics, glyphs);
        benchmark::DoNotOptimize(glyphs.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LayoutApatite);

class LcgRandom final : public RandomSource {
public:
    double Next() override {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state_ >> 11) / 9007199254740992.0;
    }

private:
    unsigned long long state_ = 42;
};

ProblemSet HundredProblems() {
    ProblemSet set{3, {}};
    for (int i = 0; i < 100; ++i)
        set.problems.push_back({"問" + std::to_string(i), kLongFormula});
    return set;
}

// One key as the screen handles it: the drill takes the key, then the answer is laid out
// again for the redraw. Alternates a letter and Backspace on a 30-character answer.
void BM_OneTypedKeyWithRedraw(benchmark::State& state) {
    LcgRandom random;
    TimedDrill drill(HundredProblems(), random);
    drill.Start();
    for (char c : std::string("2NH4Cl+Ca(OH)2=CaCl2+2NH3+2H2"))
        drill.OnCharacter(static_cast<char32_t>(c));
    std::vector<PlacedGlyph> glyphs;
    bool type = true;
    for (auto _ : state) {
        drill.OnCharacter(type ? U'O' : kBackspaceChar);
        type = !type;
        LayoutFormulaInto(drill.ComposedAnswer(), kMetrics, glyphs);
        benchmark::DoNotOptimize(glyphs.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OneTypedKeyWithRedraw);

// Enter on a correct answer: judge, progress, draw the next problem, lay out its correction.
void BM_JudgeAndNextQuestion(benchmark::State& state) {
    LcgRandom random;
    for (auto _ : state) {
        state.PauseTiming();
        TimedDrill drill(HundredProblems(), random);
        drill.Start();
        for (char c : std::string(kLongFormula))
            drill.OnCharacter(static_cast<char32_t>(c));
        std::vector<PlacedGlyph> glyphs;
        state.ResumeTiming();
        drill.OnCharacter(kEnterChar);
        LayoutFormulaInto(drill.CorrectAnswer(), kMetrics, glyphs);
        benchmark::DoNotOptimize(glyphs.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_JudgeAndNextQuestion);

}  // namespace
