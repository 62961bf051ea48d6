#include "drill/answer_entry.h"

namespace kagaku {

namespace {

bool IsAccepted(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') ||
           c == U'+' || c == U'=' || c == U'(' || c == U')';
}

}  // namespace

std::optional<int> ChargeIndexOfKey(DrillKey key) {
    switch (key) {
        case DrillKey::F9:
            return 0;
        case DrillKey::F10:
            return 1;
        case DrillKey::F8:
            return 2;
        case DrillKey::F7:
            return 3;
        default:
            return std::nullopt;
    }
}

AnswerEntry::TypeResult AnswerEntry::Type(char32_t c) {
    if (c == kEnterChar || c == kSpaceChar)
        return TypeResult::Judge;
    if (c == kBackspaceChar) {
        chargeEntered_ = false;
        const std::size_t n = text_.size();
        if (n == 0)
            return TypeResult::Changed;
        // A sized charge goes as a whole: its sign and its size.
        if (n >= 2 && text_[n - 1] >= '1' && text_[n - 1] <= '9' &&
            (text_[n - 2] == '\\' || text_[n - 2] == '-'))
            text_.resize(n - 2);
        else
            text_.pop_back();
        return TypeResult::Changed;
    }
    if (!IsAccepted(c))
        return TypeResult::Ignored;
    chargeEntered_ = false;
    text_.push_back(static_cast<char>(c));
    return TypeResult::Changed;
}

bool AnswerEntry::AddCharge(int index) {
    if (chargeEntered_ || index < 0 || index >= kChargeButtons)
        return false;
    chargeEntered_ = true;
    text_ += kChargeTexts[index];
    return true;
}

void AnswerEntry::AppendArrow() {
    text_.push_back('=');
}

}  // namespace kagaku
