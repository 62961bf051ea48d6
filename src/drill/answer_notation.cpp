#include "drill/answer_notation.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

namespace kagaku {

namespace {

// More atoms of one element, or more charge, than any formula a pupil types could hold.
constexpr long long kMaxAtomCount = 1000000;

constexpr std::array<std::string_view, 118> kElementSymbols = {
    "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si", "P",
    "S",  "Cl", "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn",
    "Ga", "Ge", "As", "Se", "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru", "Rh",
    "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd",
    "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W",  "Re",
    "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac", "Th",
    "Pa", "U",  "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No", "Lr", "Rf", "Db",
    "Sg", "Bh", "Hs", "Mt", "Ds", "Rg", "Cn", "Nh", "Fl", "Mc", "Lv", "Ts", "Og"};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool IsLower(char c) {
    return c >= 'a' && c <= 'z';
}

// A recursive-descent reader over one species' text.
class SpeciesReader {
public:
    explicit SpeciesReader(std::string_view text) : text_(text) {}

    std::optional<NotationSpecies> Read(std::string& problem) {
        NotationSpecies s;
        s.text = std::string(text_);
        if (text_.empty()) {
            problem = "空の項があります";
            return std::nullopt;
        }
        if (IsDigit(Peek())) {
            if (Peek() == '0') {
                problem = "係数が0で始まっています";
                return std::nullopt;
            }
            s.coefficient = ReadNumber();
            if (s.coefficient == 1) {
                problem = "係数1は書きません";
                return std::nullopt;
            }
        }
        if (Peek() == 'e' && (pos_ + 1 == text_.size() || text_[pos_ + 1] == '-')) {
            ++pos_;
            s.electron = true;
        } else {
            if (!ReadGroup(s.atoms, 0, problem))
                return std::nullopt;
            if (s.atoms.empty()) {
                problem = "元素記号がありません";
                return std::nullopt;
            }
        }
        if (pos_ < text_.size() && (Peek() == '\\' || Peek() == '-')) {
            const int sign = Peek() == '\\' ? 1 : -1;
            ++pos_;
            int size = 1;
            if (pos_ < text_.size() && IsDigit(Peek())) {
                size = Peek() - '0';
                ++pos_;
                if (size < 2) {
                    problem = "電荷の大きさは2から9で書きます";
                    return std::nullopt;
                }
            }
            s.charge = sign * size;
        }
        if (s.electron && s.charge != -1) {
            problem = "電子は e- と書きます";
            return std::nullopt;
        }
        if (pos_ != text_.size()) {
            problem = "読めない文字があります: " + std::string(text_.substr(pos_));
            return std::nullopt;
        }
        return s;
    }

private:
    char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

    int ReadNumber() {
        int n = 0;
        while (pos_ < text_.size() && IsDigit(Peek()) && n < 100000) {
            n = n * 10 + (Peek() - '0');
            ++pos_;
        }
        return n;
    }

    // A count after a symbol or ")": absent (1) or 2 or more, never starting with 0.
    bool ReadCount(int& count, std::string& problem) {
        count = 1;
        if (!IsDigit(Peek()))
            return true;
        if (Peek() == '0') {
            problem = "添字が0で始まっています";
            return false;
        }
        count = ReadNumber();
        if (count == 1) {
            problem = "添字1は書きません";
            return false;
        }
        return true;
    }

    bool ReadGroup(std::map<std::string, int>& atoms, int depth, std::string& problem) {
        while (pos_ < text_.size()) {
            const char c = Peek();
            if (IsUpper(c)) {
                std::string symbol(1, c);
                ++pos_;
                if (IsLower(Peek())) {
                    symbol += Peek();
                    ++pos_;
                }
                if (!IsElementSymbol(symbol)) {
                    problem = "元素記号ではありません: " + symbol;
                    return false;
                }
                int count = 1;
                if (!ReadCount(count, problem))
                    return false;
                if (!AddAtoms(atoms[symbol], 1, count, problem))
                    return false;
            } else if (c == '(') {
                ++pos_;
                std::map<std::string, int> inner;
                if (!ReadGroup(inner, depth + 1, problem))
                    return false;
                if (Peek() != ')') {
                    problem = "かっこが閉じていません";
                    return false;
                }
                ++pos_;
                if (inner.empty()) {
                    problem = "かっこの中が空です";
                    return false;
                }
                int count = 1;
                if (!ReadCount(count, problem))
                    return false;
                for (const auto& [symbol, n] : inner)
                    if (!AddAtoms(atoms[symbol], n, count, problem))
                        return false;
            } else if (c == ')') {
                if (depth == 0) {
                    problem = "閉じかっこが余っています";
                    return false;
                }
                return true;
            } else {
                return true;  // a charge or something the caller reports
            }
        }
        return true;
    }

    // total += n * count, refused beyond any real formula so that no total overflows.
    static bool AddAtoms(int& total, int n, int count, std::string& problem) {
        const long long sum = total + static_cast<long long>(n) * count;
        if (sum > kMaxAtomCount) {
            problem = "数が大きすぎます";
            return false;
        }
        total = static_cast<int>(sum);
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// The totals of one side, in 64 bits: false when any lies beyond kMaxAtomCount.
bool SideTotalsFit(const std::vector<NotationSpecies>& side) {
    std::map<std::string, long long> atoms;
    long long charge = 0;
    for (const NotationSpecies& s : side) {
        for (const auto& [symbol, n] : s.atoms) {
            long long& total = atoms[symbol];
            total += static_cast<long long>(n) * s.coefficient;
            if (total > kMaxAtomCount)
                return false;
        }
        charge += static_cast<long long>(s.charge) * s.coefficient;
        if (charge > kMaxAtomCount || charge < -kMaxAtomCount)
            return false;
    }
    return true;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
}

}  // namespace

bool IsElementSymbol(std::string_view symbol) {
    return std::find(kElementSymbols.begin(), kElementSymbols.end(), symbol) !=
           kElementSymbols.end();
}

NotationResult ParseAnswerNotation(std::string_view text) {
    NotationResult result;
    const auto sides = Split(text, '=');
    if (sides.size() > 2) {
        result.problem = "矢印(=)が2つ以上あります";
        return result;
    }
    for (std::string_view side : sides) {
        std::vector<NotationSpecies> species;
        for (std::string_view part : Split(side, '+')) {
            SpeciesReader reader(part);
            auto s = reader.Read(result.problem);
            if (!s) {
                result.problem = std::string(part) + ": " + result.problem;
                return result;
            }
            species.push_back(std::move(*s));
        }
        if (!SideTotalsFit(species)) {
            result.problem = std::string(side) + ": 数が大きすぎます";
            return result;
        }
        result.parsed.sides.push_back(std::move(species));
    }
    result.ok = true;
    return result;
}

std::map<std::string, int> AtomTotals(const std::vector<NotationSpecies>& side) {
    std::map<std::string, int> totals;
    for (const NotationSpecies& s : side)
        for (const auto& [symbol, n] : s.atoms)
            totals[symbol] += n * s.coefficient;
    return totals;
}

int ChargeTotal(const std::vector<NotationSpecies>& side) {
    int total = 0;
    for (const NotationSpecies& s : side)
        total += s.charge * s.coefficient;
    return total;
}

bool IsBalancedEquation(const ParsedNotation& parsed, std::string* problem) {
    auto say = [problem](std::string text) {
        if (problem)
            *problem = std::move(text);
        return false;
    };
    if (!parsed.IsEquation())
        return say("反応式ではありません");
    const auto left = AtomTotals(parsed.sides[0]);
    const auto right = AtomTotals(parsed.sides[1]);
    if (left != right) {
        for (const auto& [symbol, n] : left) {
            auto it = right.find(symbol);
            const int m = it == right.end() ? 0 : it->second;
            if (m != n)
                return say(symbol + "の数が左辺" + std::to_string(n) + "、右辺" +
                           std::to_string(m));
        }
        return say("右辺にだけある元素があります");
    }
    const int leftCharge = ChargeTotal(parsed.sides[0]);
    const int rightCharge = ChargeTotal(parsed.sides[1]);
    if (leftCharge != rightCharge)
        return say("電荷の合計が左辺" + std::to_string(leftCharge) + "、右辺" +
                   std::to_string(rightCharge));
    return true;
}

}  // namespace kagaku
