#pragma once
// A loosely typed value: empty, a whole number, a floating-point number or a text, whichever
// was last stored. In comparisons and arithmetic an empty value counts as 0.

#include <string>
#include <variant>

namespace kagaku {

class Variant {
public:
    Variant() = default;
    Variant(long long v) : value_(v) {}
    Variant(int v) : value_(static_cast<long long>(v)) {}
    Variant(double v) : value_(v) {}
    Variant(std::string v) : value_(std::move(v)) {}
    Variant(const char* v) : value_(std::string(v)) {}

    // What a field-list reader stores for an item: empty for a blank item, a number when the
    // item is numeric, the text otherwise.
    static Variant FromField(const std::string& item);

    bool IsEmpty() const { return std::holds_alternative<std::monostate>(value_); }
    bool IsText() const { return std::holds_alternative<std::string>(value_); }
    bool IsNumber() const { return !IsEmpty() && !IsText(); }
    // Numeric value: empty gives 0, a text gives its leading number.
    double ToDouble() const;
    long long ToInteger() const;  // rounded half to even
    // Text form: empty gives "", numbers in plain decimal.
    std::string ToText() const;

    friend bool operator==(const Variant&, const Variant&) = default;

private:
    std::variant<std::monostate, long long, double, std::string> value_;
};

}  // namespace kagaku
