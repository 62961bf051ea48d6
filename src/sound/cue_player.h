#pragma once
// Sound cues: a sound after each correct and each wrong answer, when no name is chosen, for a
// new personal best, a new best of all pupils, a slow run and the first clearing of the goal.
// Most cues pick one of their key's files at random; the best of all pupils and the goal play
// fixed files. Playing is synchronous: the caller goes on only when the sound has ended.
//
// The answer cues count consecutive failures: the first three pass silently, the fourth stops
// the program with the 音声エラー message. The other cues are silent on failure.

#include <filesystem>
#include <string>

#include "common/clock.h"
#include "sound/sound_table.h"

namespace kagaku {

struct PlayResult {
    int code = 0;           // 0 = played to its end
    std::string errorText;  // the device's words for a failure
};

// Plays a sound file to its end. The real device keeps the screen repainting while it waits
// and never waits longer than the sound lasts plus a margin.
class SoundDevice {
public:
    virtual ~SoundDevice() = default;
    virtual PlayResult PlayToEnd(const std::filesystem::path& wavFile) = 0;
};

// Ends the program after the 音声エラー message.
class ProgramStopper {
public:
    virtual ~ProgramStopper() = default;
    virtual void StopWithMessage(const std::string& title, const std::string& text) = 0;
};

enum class CueKey {
    Correct = 2,
    Wrong = 3,
    NoName = 4,
    PersonalBest = 8,
    Slow = 10,
};

inline constexpr const char* kSoundErrorTitle = "音声エラー";
inline constexpr const char* kSoundErrorText = "音声がでません。先生を呼びなさい。";
inline constexpr const char* kAllTimeBestFile = "最高1.wav";
inline constexpr const char* kGoalFile = "合格.wav";

class CuePlayer {
public:
    // The sound table and the sound folder (ending in the separator) are read at each cue, so
    // a player made before start-up has loaded them plays what start-up loads; both must
    // outlive the player.
    CuePlayer(const SoundTable& sounds, const std::string& soundFolder, SoundDevice& device,
              RandomSource& random, ProgramStopper& stopper);

    // The last command sent to the device, its result code as text, and the answer cues'
    // failures in a row.
    const std::string& SoundCommand() const { return SoundCommand_; }
    const std::string& SoundResult() const { return SoundResult_; }
    int SoundErrorCount() const { return SoundErrorCount_; }

    void PlayCorrectSound() { PlayAnswerCue(CueKey::Correct); }
    void PlayWrongSound() { PlayAnswerCue(CueKey::Wrong); }
    void PlayNoNameSound() { PlayAnswerCue(CueKey::NoName); }
    void PlayPersonalBestSound() { PlayCue(CueKey::PersonalBest); }
    void PlaySlowSound() { PlayCue(CueKey::Slow); }
    void PlayAllTimeBestSound() { PlayFixedSound(kAllTimeBestFile); }
    void PlayGoalSound() { PlayFixedSound(kGoalFile); }

    // The file name (without ".wav") a cue of key k picks for a random number r in [0, 1).
    static std::string PickFile(const SoundTable& table, int key, double r);

private:
    PlayResult PlayCue(CueKey key);
    void PlayAnswerCue(CueKey key);
    PlayResult PlayFixedSound(const std::string& fileName);
    PlayResult Send(const std::string& fileWithExtension);

    const SoundTable& sounds_;
    const std::string& soundFolder_;
    std::string SoundCommand_;
    std::string SoundResult_;
    int SoundErrorCount_ = 0;
    SoundDevice& device_;
    RandomSource& random_;
    ProgramStopper& stopper_;
};

}  // namespace kagaku
