#pragma once
// Typing an answer into the drill screen as a pupil does.

#include <QTest>
#include <string>

namespace kagaku::testing {

// Charges with their function keys ("+" is F9, "-" is F8), the rest as characters.
inline void TypeAnswer(QWidget* target, const std::string& answer) {
    for (const char c : answer) {
        if (c == '\\') {
            QTest::keyClick(target, Qt::Key_F9);
        } else if (c == '-') {
            QTest::keyClick(target, Qt::Key_F8);
        } else {
            QTest::keyClicks(target, QString(QChar(c)));
        }
    }
}

}  // namespace kagaku::testing
