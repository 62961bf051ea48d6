#pragma once
// Sound cues: a sound after each correct and each wrong answer, when no name is chosen, for a
// new personal best, a new best of all pupils, a slow run and the first clearing of the goal.
// Most cues pick one of their key's files at random; the best of all pupils and the goal play
// fixed files.
//
// Playing is asynchronous: a cue starts its sound and returns; its `ended` callback runs once
// when the sound has ended, failed or timed out, either before the call returns (a key without
// files, a stand-in device) or later from the event loop (the real device). The caller goes on
// in `ended`, not after the call.
//
// The answer cues count consecutive failures: the first three pass silently, the fourth stops
// the program with the 音声エラー message. Then that cue's `ended` never runs: the program ends
// in its place, and nothing the screen would have done next is wanted. The other cues are
// silent on failure.
//
// One cue plays at a time. A cue asked for while another plays replaces it: the older cue's
// `ended` runs at once (before the newer starts), the device stops the older sound where it
// can, and whatever the device later says about the older sound is neither counted nor
// reported again.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/clock.h"
#include "sound/sound_table.h"

namespace kagaku {

struct PlayResult {
    int code = 0;           // 0 = played to its end
    std::string errorText;  // the device's words for a failure
};

// Plays sound files.
class SoundDevice {
public:
    using Ended = std::function<void(PlayResult)>;
    virtual ~SoundDevice() = default;
    // Starts the sound and returns at once. ended runs exactly once with the outcome: before
    // Play returns when the device fails at once, otherwise later, on the thread that runs the
    // event loop. The real device never takes longer than the sound lasts plus a margin, even
    // when the device hangs. A sound started while another plays stops the older one where the
    // device can; the older one's end is still reported. A device deleted while a sound plays
    // reports nothing more.
    virtual void Play(const std::filesystem::path& wavFile, Ended ended) = 0;
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
    using Ended = std::function<void()>;

    // The sound table and the sound folder (ending in the separator) are read at each cue, so
    // a player made before start-up has loaded them plays what start-up loads; both must
    // outlive the player.
    CuePlayer(const SoundTable& sounds, const std::string& soundFolder, SoundDevice& device,
              RandomSource& random, ProgramStopper& stopper);
    CuePlayer(const CuePlayer&) = delete;
    CuePlayer& operator=(const CuePlayer&) = delete;

    void PlayCorrectSound(Ended ended) { StartAnswerCue(CueKey::Correct, std::move(ended)); }
    void PlayWrongSound(Ended ended) { StartAnswerCue(CueKey::Wrong, std::move(ended)); }
    void PlayNoNameSound(Ended ended) { StartAnswerCue(CueKey::NoName, std::move(ended)); }
    void PlayPersonalBestSound(Ended ended) { StartCue(CueKey::PersonalBest, std::move(ended)); }
    void PlaySlowSound(Ended ended) { StartCue(CueKey::Slow, std::move(ended)); }
    void PlayAllTimeBestSound(Ended ended) { Start(kAllTimeBestFile, false, std::move(ended)); }
    void PlayGoalSound(Ended ended) { Start(kGoalFile, false, std::move(ended)); }

    // The last command sent to the device, its result code as text, and the answer cues'
    // failures in a row.
    const std::string& SoundCommand() const { return SoundCommand_; }
    const std::string& SoundResult() const { return SoundResult_; }
    int SoundErrorCount() const { return SoundErrorCount_; }

    // True from a cue's start until its `ended` has run (or it was replaced).
    bool playing() const { return playing_.has_value(); }


    // The file name (without ".wav") a cue of key k picks for a random number r in [0, 1).
    static std::string PickFile(const SoundTable& table, int key, double r);

private:
    struct Playing {
        std::uint64_t cue = 0;
        Ended ended;
    };

    std::string PickedFile(CueKey key);
    void StartCue(CueKey key, Ended ended) { Start(PickedFile(key), false, std::move(ended)); }
    void StartAnswerCue(CueKey key, Ended ended) {
        Start(PickedFile(key), true, std::move(ended));
    }
    void Start(const std::string& fileWithExtension, bool answerCue, Ended ended);
    void Finish(std::uint64_t cue, bool answerCue, const PlayResult& result);
    // Ends the cue that plays (and any its `ended` starts) as replaced.
    void ReplacePlaying();
    // Counts an answer cue's outcome; false when it stopped the program.
    bool CountAnswerResult(const PlayResult& result);

    // The command text of a play; the failure of a key with no files, which plays an empty
    // name.
    std::optional<PlayResult> BeginSend(const std::string& fileWithExtension);
    void EndSend(const PlayResult& result);


    const SoundTable& sounds_;
    const std::string& soundFolder_;
    std::string SoundCommand_;
    std::string SoundResult_;
    int SoundErrorCount_ = 0;
    SoundDevice& device_;
    RandomSource& random_;
    ProgramStopper& stopper_;
    std::optional<Playing> playing_;
    std::uint64_t lastCue_ = 0;
    // The device's callbacks hold this weakly: one arriving after the player has gone does
    // nothing.
    std::shared_ptr<CuePlayer*> self_ = std::make_shared<CuePlayer*>(this);
};

}  // namespace kagaku
