#include "ui/shell/sound_output.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <thread>

#ifdef _WIN32
#include "platform/windows_sound_player.h"
#else
#include "platform/alsa_sound_player.h"
#endif
#include "ui/shell/services.h"

namespace kagaku::ui {

namespace {

#ifdef _WIN32
using PlayOutcome = MciPlayOutcome;
PlayOutcome PlayWav(const std::filesystem::path& wavFile) {
    return PlayWavWithMci(wavFile);
}
#else
using PlayOutcome = AlsaPlayOutcome;
PlayOutcome PlayWav(const std::filesystem::path& wavFile) {
    return PlayWavWithAlsa(wavFile);
}
#endif

// What a worker thread reports back; shared so that a worker that outlives its wait (a device
// that stopped answering) writes into memory that is still there.
struct Playback {
    std::atomic<bool> finished{false};
    PlayOutcome outcome;
};

constexpr int kMarginMs = 2000;
constexpr int kTimedOutCode = 262;

}  // namespace

PlayResult SoundOutput::PlayToEnd(const std::filesystem::path& wavFile) {
    // The sound plays to its end while events run: ticks and clicks may arrive meanwhile.
    NestedLoopScope loop;
    const double seconds = WavDurationSeconds(wavFile);
    auto playback = std::make_shared<Playback>();
    std::thread worker([playback, wavFile] {
        playback->outcome = PlayWav(wavFile);
        playback->finished.store(true, std::memory_order_release);
    });
    const qint64 limitMs = static_cast<qint64>((seconds > 0 ? seconds : 0) * 1000.0) + kMarginMs;
    QElapsedTimer timer;
    timer.start();
    while (!playback->finished.load(std::memory_order_acquire) && timer.elapsed() < limitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    if (!playback->finished.load(std::memory_order_acquire)) {
        worker.detach();
        return PlayResult{kTimedOutCode, "サウンドの再生が終わりません。"};
    }
    worker.join();
    return PlayResult{playback->outcome.code, playback->outcome.errorText};
}

}  // namespace kagaku::ui
