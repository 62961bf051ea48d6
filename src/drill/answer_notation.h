#pragma once
// The structure of an answer written in the answer notation: species joined by "+", at most
// one "=" for the reaction arrow, a coefficient before a species, element symbols with counts
// after them, groups in parentheses, and a charge after a species ("\" positive, "-" negative,
// either followed by its size 2-9). "e" alone stands for an electron. The drill itself judges
// answers by exact comparison; this parser lets a problem file be checked for chemistry
// (symbols that exist, equations balanced in atoms and in charge).

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kagaku {

struct NotationSpecies {
    std::string text;                  // as written, coefficient included
    int coefficient = 1;               // 1 when none is written
    bool electron = false;             // "e-"
    std::map<std::string, int> atoms;  // per formula unit, coefficient not applied
    int charge = 0;                    // per formula unit
};

struct ParsedNotation {
    // One side for a single formula or ion, two for an equation (left of "=", right of it).
    std::vector<std::vector<NotationSpecies>> sides;
    bool IsEquation() const { return sides.size() == 2; }
};

struct NotationResult {
    bool ok = false;
    std::string problem;  // what is wrong, when not ok
    ParsedNotation parsed;
};

// Parses text. Refuses unknown element symbols, a written count or coefficient of 1, a
// count starting with 0, unbalanced parentheses, empty species and more than one "=".
NotationResult ParseAnswerNotation(std::string_view text);

// True for the symbols of the elements 1 to 118.
bool IsElementSymbol(std::string_view symbol);

// Atoms of every element over one side, coefficients applied.
std::map<std::string, int> AtomTotals(const std::vector<NotationSpecies>& side);
int ChargeTotal(const std::vector<NotationSpecies>& side);

// An equation whose two sides hold the same atoms and the same total charge. Explains the
// first difference in problem when not balanced.
bool IsBalancedEquation(const ParsedNotation& parsed, std::string* problem = nullptr);

}  // namespace kagaku
