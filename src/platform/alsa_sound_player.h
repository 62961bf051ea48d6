#pragma once
// Plays a PCM WAV file on the default ALSA device, to its end. A missing or busy device fails at
// once with an error code and text; nothing here waits on a device that never answers, because
// the device is opened without blocking and every write is bounded.

#include <atomic>
#include <filesystem>
#include <string>

namespace kagaku {

struct AlsaPlayOutcome {
    int code = 0;  // 0 = played to the end
    std::string errorText;
};

// The length of a WAV file's sound in seconds; negative when the file is not a PCM WAV file.
double WavDurationSeconds(const std::filesystem::path& wavFile);

// Plays the file on the calling thread and returns when it has ended or failed. Once *stop
// turns true (checked between writes, a fraction of a second apart) the sound is cut off and
// the play counts as ended.
AlsaPlayOutcome PlayWavWithAlsa(const std::filesystem::path& wavFile,
                                const std::atomic<bool>* stop = nullptr);

}  // namespace kagaku
