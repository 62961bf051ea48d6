#include "ui/shell/sound_output.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
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
// MCI's "play ... wait" cannot be cut short from another thread: a replaced sound plays on to
// its end, and the newer one waits for it (up to the margin) before it starts.
PlayOutcome PlayWav(const std::filesystem::path& wavFile, const std::atomic<bool>*) {
    return PlayWavWithMci(wavFile);
}
#else
using PlayOutcome = AlsaPlayOutcome;
PlayOutcome PlayWav(const std::filesystem::path& wavFile, const std::atomic<bool>* stop) {
    return PlayWavWithAlsa(wavFile, stop);
}
#endif

constexpr int kMarginMs = 2000;
constexpr int kTimedOutCode = 262;
constexpr int kLookInMs = 10;
// How long the end of the program waits for stopped sounds to let go of the device.
constexpr int kLetGoMs = 500;

qint64 LimitMs(const std::filesystem::path& wavFile) {
    const double seconds = WavDurationSeconds(wavFile);
    return static_cast<qint64>((seconds > 0 ? seconds : 0) * 1000.0) + kMarginMs;
}

}  // namespace

// What a worker thread reports back; shared, so that a worker that outlives its deadline (a
// device that stopped answering) or the device itself writes into memory that is still there.
struct SoundOutput::Playback {
    std::atomic<bool> finished{false};
    std::atomic<bool> stop{false};
    PlayOutcome outcome;  // written by the worker before finished, read after it
    QDeadlineTimer deadline;
    Ended ended;
};

SoundOutput::SoundOutput(QObject* parent) : QObject(parent), lookIn_(new QTimer(this)) {
    lookIn_->setInterval(kLookInMs);
    connect(lookIn_, &QTimer::timeout, this, &SoundOutput::LookIn);
}

SoundOutput::~SoundOutput() {
    for (const auto& p : playing_) {
        p->stop.store(true, std::memory_order_release);
        p->ended = nullptr;  // let go of the callers' callbacks here, not on a worker
    }
    // At the end of the program, not in a handler: stopped sounds let go of the device within a
    // write, so the program does not end beneath a worker still inside the sound library.
    QElapsedTimer waited;
    waited.start();
    for (const auto& p : playing_) {
        while (!p->finished.load(std::memory_order_acquire) && waited.elapsed() < kLetGoMs)
            QThread::msleep(5);
    }
}

void SoundOutput::Play(const std::filesystem::path& wavFile, Ended ended) {
    std::shared_ptr<Playback> previous = playing_.empty() ? nullptr : playing_.back();
    for (const auto& p : playing_)
        p->stop.store(true, std::memory_order_release);
    auto playback = std::make_shared<Playback>();
    // A sound that waits for an older one to let go of the device may wait a margin longer.
    playback->deadline = QDeadlineTimer(LimitMs(wavFile) + (previous ? kMarginMs : 0));
    playback->ended = std::move(ended);
    std::thread([playback, previous, wavFile]() mutable {
        if (previous) {
            QElapsedTimer waited;
            waited.start();
            while (!previous->finished.load(std::memory_order_acquire) &&
                   waited.elapsed() < kMarginMs)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            previous.reset();
        }
        playback->outcome = PlayWav(wavFile, &playback->stop);
        playback->finished.store(true, std::memory_order_release);
    }).detach();
    playing_.push_back(std::move(playback));
    if (!lookIn_->isActive())
        lookIn_->start();
}

void SoundOutput::LookIn() {
    // The ends due now, taken out first: an `ended` may start the next sound.
    std::vector<std::pair<std::shared_ptr<Playback>, PlayResult>> due;
    for (auto it = playing_.begin(); it != playing_.end();) {
        const std::shared_ptr<Playback>& p = *it;
        if (p->finished.load(std::memory_order_acquire)) {
            due.emplace_back(p, PlayResult{p->outcome.code, p->outcome.errorText});
        } else if (p->deadline.hasExpired()) {
            p->stop.store(true, std::memory_order_release);
            due.emplace_back(p, PlayResult{kTimedOutCode, "サウンドの再生が終わりません。"});
        } else {
            ++it;
            continue;
        }
        it = playing_.erase(it);
    }
    if (playing_.empty())
        lookIn_->stop();
    for (auto& [p, result] : due) {
        Ended ended = std::move(p->ended);
        if (ended)
            ended(result);
    }
}

}  // namespace kagaku::ui
