#pragma once
// The program's sound device: plays a WAV file on the system's sound output on a worker thread
// while the screen keeps repainting, and never waits longer than the sound lasts plus a margin.

#include <memory>

#include "sound/cue_player.h"

namespace kagaku::ui {

class SoundOutput final : public SoundDevice {
public:
    PlayResult PlayToEnd(const std::filesystem::path& wavFile) override;
};

}  // namespace kagaku::ui
