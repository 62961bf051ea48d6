#pragma once
// The program's sound device: plays a WAV file on the system's sound output on a worker thread
// and reports its end on the GUI thread, from a timer that looks in on the worker. The end is
// reported no later than the sound lasts plus a margin, also when the device stops answering.

#include <QObject>
#include <memory>
#include <vector>

#include "sound/cue_player.h"

class QTimer;

namespace kagaku::ui {

class SoundOutput final : public QObject, public SoundDevice {
public:
    explicit SoundOutput(QObject* parent = nullptr);
    // Stops what plays; the ends not yet reported are not reported.
    ~SoundOutput() override;

    // A newer sound stops the older one (its end is reported as it comes back, or at its
    // deadline) and waits for it to let go of the device before it starts.
    void Play(const std::filesystem::path& wavFile, Ended ended) override;

    struct Playback;

private:
    void LookIn();

    std::vector<std::shared_ptr<Playback>> playing_;  // the oldest first
    QTimer* lookIn_;
};

}  // namespace kagaku::ui
