#pragma once
// Stand-ins for the screens' seams: message boxes that record what they were asked and answer as
// the test told them, a sound device that succeeds or fails on demand, and a screenshot helper.

#include <QString>
#include <QStringList>
#include <deque>
#include <filesystem>
#include <functional>
#include <vector>

#include "platform/program_launcher.h"
#include "sound/cue_player.h"
#include "ui/shell/services.h"

class QObject;
class QTimer;
class QWidget;

namespace kagaku::testing {

class FakeMessageBoxes final : public ui::MessageBoxes {
public:
    struct Shown {
        QString title;
        QString text;
        int loopLevel = 0;  // how many event loops were running when it was shown
    };
    // Each box is answered at once, before the call returns: the callback runs inside it.
    void Inform(QWidget* parent, const QString& title, const QString& text,
                Closed closed = {}) override;
    void Ask(QWidget* parent, const QString& title, const QString& text,
             Answered answered) override;
    // OK/Cancel takes the queued answer too: Yes or Ok is OK, No or Cancel is Cancel.
    void Confirm(QWidget* parent, const QString& title, const QString& text,
                 Answered answered) override;
    // The answer to the next question (Yes when none is queued).
    void QueueAnswer(Answer a) { answers_.push_back(a); }
    const std::vector<Shown>& shown() const { return shown_; }

private:
    std::vector<Shown> shown_;
    std::deque<Answer> answers_;
};

// Real boxes, window-modal as the program's are, that answer themselves after a while: each
// opens (open()), runs whileOpen from the event loop once it is open, and is answered after
// openMilliseconds, with no event loop of its own; the test lets the event loop run (QTRY_*,
// qWait) meanwhile, moving the clock on and letting timers fire beneath the box.
class SelfAnsweringMessageBoxes final : public ui::MessageBoxes {
public:
    void Inform(QWidget* parent, const QString& title, const QString& text,
                Closed closed = {}) override;
    void Ask(QWidget* parent, const QString& title, const QString& text,
             Answered answered) override;
    void Confirm(QWidget* parent, const QString& title, const QString& text,
                 Answered answered) override;
    std::function<void()> whileOpen;
    int openMilliseconds = 300;
    const std::vector<FakeMessageBoxes::Shown>& shown() const { return shown_; }

private:
    std::vector<FakeMessageBoxes::Shown> shown_;
};

// A sound that takes its time: its end is reported from a timer after playMilliseconds, while
// the event loop runs on (ticks and clicks arrive meanwhile). whilePlaying runs from the event
// loop once the sound has started, once per sound; afterPlaying just before its end is
// reported. A newer sound stops the older one: the older's end is reported from the event loop
// at once.
class WaitingSoundDevice final : public SoundDevice {
public:
    WaitingSoundDevice();
    ~WaitingSoundDevice() override;
    void Play(const std::filesystem::path& wavFile, Ended ended) override;
    std::function<void()> whilePlaying;
    std::function<void()> afterPlaying;  // at the end of the sound, before it is reported
    int playMilliseconds = 300;
    const std::vector<std::filesystem::path>& played() const { return played_; }
    // Sounds started and not yet reported.
    int playing() const;

private:
    std::vector<std::filesystem::path> played_;
    QObject* sounds_;               // owns one single-shot timer per sound
    std::vector<QTimer*> active_;   // the timers of the sounds not yet reported
};

// Reports each end at once, before Play returns.
class FakeSoundDevice final : public SoundDevice {
public:
    void Play(const std::filesystem::path& wavFile, Ended ended) override;
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

// Starts nothing: records which program would have been started, with which arguments, or
// fails as told.
class FakeLauncher final : public ProgramLauncher {
public:
    struct Started {
        std::filesystem::path program;
        std::vector<std::string> arguments;
    };
    void StartDetached(const std::filesystem::path& program,
                       const std::vector<std::string>& arguments) override {
        if (!failText_.empty()) throw ProgramStartError(failText_);
        started_.push_back({program, arguments});
    }
    void FailWith(std::string text) { failText_ = std::move(text); }
    const std::vector<Started>& started() const { return started_; }

private:
    std::string failText_;
    std::vector<Started> started_;
};

// Saves a picture of the widget as KAGAKU_SCREENSHOT_DIR/name.png (suffixed with the screen
// size) and returns its path.
QString SaveScreenshot(QWidget* widget, const QString& name);

}  // namespace kagaku::testing
