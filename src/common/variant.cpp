#include "common/variant.h"

#include "common/text_ops.h"

namespace kagaku {

Variant Variant::FromField(const std::string& item) {
    std::string t = text::Trim(item);
    if (t.empty())
        return Variant();
    if (text::IsNumeric(t)) {
        bool integral = t.find_first_of(".eE") == std::string::npos;
        if (integral && t.size() < 18)
            return Variant(static_cast<long long>(text::Val(t)));
        return Variant(text::Val(t));
    }
    return Variant(item);
}

double Variant::ToDouble() const {
    if (const auto* i = std::get_if<long long>(&value_))
        return static_cast<double>(*i);
    if (const auto* d = std::get_if<double>(&value_))
        return *d;
    if (const auto* s = std::get_if<std::string>(&value_))
        return text::Val(*s);
    return 0.0;
}

long long Variant::ToInteger() const {
    if (const auto* i = std::get_if<long long>(&value_))
        return *i;
    return text::RoundHalfEven(ToDouble());
}

std::string Variant::ToText() const {
    if (const auto* i = std::get_if<long long>(&value_))
        return text::NumberText(*i);
    if (const auto* d = std::get_if<double>(&value_))
        return text::NumberText(*d);
    if (const auto* s = std::get_if<std::string>(&value_))
        return *s;
    return {};
}

}  // namespace kagaku
