#include "sound/cue_player.h"

#include "common/files.h"
#include "common/text_ops.h"

namespace kagaku {

CuePlayer::CuePlayer(const SoundTable& sounds, const std::string& soundFolder,
                     SoundDevice& device, RandomSource& random,
                     ProgramStopper& stopper)
    : sounds_(sounds), soundFolder_(soundFolder), device_(device), random_(random), stopper_(stopper) {}

std::string CuePlayer::PickFile(const SoundTable& table, int key, double r) {
    if (key < 1 || key > kSoundKeys)
        return {};
    const auto k = static_cast<std::size_t>(key);
    // A list of twenty names without its closing "*" leaves the count unset, which counts as 0.
    const int count = table.Counts[k] > 0 ? table.Counts[k] : 0;
    const long long n = text::Int(r * count + 1);
    const auto& files = table.Files[k];
    if (n < 1 || static_cast<std::size_t>(n) > files.size())
        return {};
    return files[static_cast<std::size_t>(n - 1)];
}

std::string CuePlayer::PickedFile(CueKey key) {
    return PickFile(sounds_, static_cast<int>(key), random_.Next()) + ".wav";
}

std::optional<PlayResult> CuePlayer::BeginSend(const std::string& fileWithExtension) {
    SoundCommand_ = "play " + soundFolder_ + fileWithExtension + " wait";
    if (fileWithExtension == ".wav") {
        // A key with no files plays an empty name, which fails like a missing file.
        return PlayResult{275, "ファイルが指定されていません。"};
    }
    return std::nullopt;
}

void CuePlayer::EndSend(const PlayResult& result) {
    SoundResult_ = text::NumberText(static_cast<long long>(result.code));
}

bool CuePlayer::CountAnswerResult(const PlayResult& result) {
    if (result.code == 0) {
        SoundErrorCount_ = 0;
    } else if (SoundErrorCount_ < 3) {
        ++SoundErrorCount_;
    } else {
        stopper_.StopWithMessage(kSoundErrorTitle,
                                 std::string(kSoundErrorText) + "\r\n" + result.errorText);
        return false;
    }
    return true;
}

void CuePlayer::ReplacePlaying() {
    // An `ended` run here may start a cue of its own; that one is replaced in turn.
    while (playing_) {
        Ended ended = std::move(playing_->ended);
        playing_.reset();
        if (ended)
            ended();
    }
}

void CuePlayer::Start(const std::string& fileWithExtension, bool answerCue, Ended ended) {
    ReplacePlaying();
    const std::uint64_t cue = ++lastCue_;
    playing_ = Playing{cue, std::move(ended)};
    if (const std::optional<PlayResult> failed = BeginSend(fileWithExtension)) {
        Finish(cue, answerCue, *failed);
        return;
    }
    std::weak_ptr<CuePlayer*> player = self_;
    device_.Play(PathFromText(soundFolder_ + fileWithExtension),
                 [player, cue, answerCue](PlayResult result) {
                     if (const std::shared_ptr<CuePlayer*> alive = player.lock())
                         (*alive)->Finish(cue, answerCue, result);
                 });
}

void CuePlayer::Finish(std::uint64_t cue, bool answerCue, const PlayResult& result) {
    if (!playing_ || playing_->cue != cue)
        return;  // replaced: its end was reported when the newer cue started
    Ended ended = std::move(playing_->ended);
    playing_.reset();
    EndSend(result);
    if (answerCue && !CountAnswerResult(result))
        return;
    if (ended)
        ended();
}

}  // namespace kagaku
