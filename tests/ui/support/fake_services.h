#pragma once
// Stand-ins for the screens' seams: message boxes that record what they were asked and answer as
// the test told them, a sound device that succeeds or fails on demand, and a screenshot helper.

#include <QString>
#include <QStringList>
#include <deque>
#include <filesystem>
#include <vector>

#include "sound/cue_player.h"
#include "ui/services.h"

class QWidget;

namespace kagaku::testing {

class FakeMessageBoxes final : public ui::MessageBoxes {
public:
    struct Shown {
        QString title;
        QString text;
    };
    void Inform(QWidget* parent, const QString& title, const QString& text) override;
    Answer Ask(QWidget* parent, const QString& title, const QString& text) override;
    // The answer to the next question (Yes when none is queued).
    void QueueAnswer(Answer a) { answers_.push_back(a); }
    const std::vector<Shown>& shown() const { return shown_; }

private:
    std::vector<Shown> shown_;
    std::deque<Answer> answers_;
};

class FakeSoundDevice final : public SoundDevice {
public:
    PlayResult PlayToEnd(const std::filesystem::path& wavFile) override;
    // Every play fails with this code from now on (0 = succeed).
    void FailWith(int code, std::string text = "デバイスがありません") {
        failCode_ = code;
        failText_ = std::move(text);
    }
    const std::vector<std::filesystem::path>& played() const { return played_; }

private:
    int failCode_ = 0;
    std::string failText_;
    std::vector<std::filesystem::path> played_;
};

// Saves a picture of the widget as KAGAKU_SCREENSHOT_DIR/name.png (suffixed with the screen
// size) and returns its path.
QString SaveScreenshot(QWidget* widget, const QString& name);

}  // namespace kagaku::testing
