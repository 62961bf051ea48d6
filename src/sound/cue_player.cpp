#include "sound/cue_player.h"

#include "common/files.h"
#include "common/text_ops.h"

namespace kagaku {

CuePlayer::CuePlayer(const SoundTable& sounds, const std::string& soundFolder,
                     SoundDevice& device, RandomSource& random, ProgramStopper& stopper)
    : sounds_(sounds),
      soundFolder_(soundFolder),
      device_(device),
      random_(random),
      stopper_(stopper) {}

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

PlayResult CuePlayer::Send(const std::string& fileWithExtension) {
    SoundCommand_ = "play " + soundFolder_ + fileWithExtension + " wait";
    PlayResult result;
    if (fileWithExtension == ".wav") {
        // A key with no files plays an empty name, which fails like a missing file.
        result = PlayResult{275, "ファイルが指定されていません。"};
    } else {
        result = device_.PlayToEnd(PathFromText(soundFolder_ + fileWithExtension));
    }
    SoundResult_ = text::NumberText(static_cast<long long>(result.code));
    return result;
}

PlayResult CuePlayer::PlayCue(CueKey key) {
    const std::string file = PickFile(sounds_, static_cast<int>(key), random_.Next());
    return Send(file + ".wav");
}

PlayResult CuePlayer::PlayFixedSound(const std::string& fileName) {
    return Send(fileName);
}

void CuePlayer::PlayAnswerCue(CueKey key) {
    PlayResult result = PlayCue(key);
    if (result.code == 0) {
        SoundErrorCount_ = 0;
    } else if (SoundErrorCount_ < 3) {
        ++SoundErrorCount_;
    } else {
        stopper_.StopWithMessage(kSoundErrorTitle,
                                 std::string(kSoundErrorText) + "\r\n" + result.errorText);
    }
}

}  // namespace kagaku
