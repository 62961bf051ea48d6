#pragma once
// The pupil's answer as it is being typed: the flat text in the answer notation and whether a
// charge was just added. Typed characters, Backspace, the arrow key and the four charge keys
// (F9 "+", F10 "2+", F8 "-", F7 "2-", or the on-screen charge buttons) change it here; the
// screen redraws after every change.

#include <optional>
#include <string>

namespace kagaku {

inline constexpr char32_t kBackspaceChar = 8;
inline constexpr char32_t kEnterChar = 13;
inline constexpr char32_t kSpaceChar = 32;

// Keys the drill screen reacts to by their key code rather than by the character typed.
enum class DrillKey { RightArrow, F7, F8, F9, F10, Other };

// The charge buttons, by index: "+", "2+", "-", "2-".
inline constexpr int kChargeButtons = 4;
inline constexpr const char* kChargeButtonCaptions[kChargeButtons] = {"+", "2+", "-", "2-"};
// The hint beside each charge button: the function key that adds the same charge, so that a
// pupil who presses the key shown gets the charge shown.
inline constexpr const char* kChargeKeyHints[kChargeButtons] = {"F9", "F10", "F8", "F7"};
// What each charge adds to the answer.
inline constexpr const char* kChargeTexts[kChargeButtons] = {"\\", "\\2", "-", "-2"};

// The charge button index a function key stands for (F9 0, F10 1, F8 2, F7 3), if any.
std::optional<int> ChargeIndexOfKey(DrillKey key);

class AnswerEntry {
public:
    enum class TypeResult {
        Ignored,  // not a character the answer takes
        Changed,  // appended or deleted (redraw)
        Judge,    // Enter or space: the answer is to be judged
    };

    // A typed character: a-z, A-Z, 0-9, "+", "=", "(", ")" are appended; Backspace removes the
    // last character, or a whole sized charge ("\2", "-3") at once; Enter and space ask for
    // judgement. An accepted character re-enables the charge keys.
    TypeResult Type(char32_t c);

    // Appends charge index 0..3 unless a charge was added since the last accepted character:
    // a species takes one charge. Returns whether the answer changed.
    bool AddCharge(int index);

    // The arrow key appends "=".
    void AppendArrow();

    // Empties the answer for the next question. The charge lock is left as it is: a new
    // question does not start with a charge anyway.
    void Clear() { text_.clear(); }

    const std::string& Text() const { return text_; }
    bool ChargeEntered() const { return chargeEntered_; }

private:
    std::string text_;
    bool chargeEntered_ = false;
};

}  // namespace kagaku
