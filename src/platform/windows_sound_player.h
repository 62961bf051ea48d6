#pragma once
// Windows only: plays a WAV file through the system's multimedia commands (MCI), to its end.
// A failure comes back with MCI's error code and its text from mciGetErrorStringW, which is
// what the cue player counts and shows after the fourth failure in a row.

#include <filesystem>
#include <string>

namespace kagaku {

struct MciPlayOutcome {
    int code = 0;  // 0 = played to the end
    std::string errorText;
};

// The length of a WAV file's sound in seconds; negative when MCI cannot open it.
double WavDurationSeconds(const std::filesystem::path& wavFile);

// Plays the file on the calling thread ("play ... wait") and returns when it has ended or
// failed.
MciPlayOutcome PlayWavWithMci(const std::filesystem::path& wavFile);

}  // namespace kagaku
