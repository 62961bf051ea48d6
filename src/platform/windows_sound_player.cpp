#include "platform/windows_sound_player.h"

#include <windows.h>
// After windows.h:
#include <mmsystem.h>

#include <atomic>

#include "platform/windows_text.h"

namespace kagaku {

namespace {

// Each playback opens the file under an alias of its own, so that a sound still playing on a
// worker that outlived its wait does not collide with the next one.
std::wstring NextAlias() {
    static std::atomic<unsigned> counter{0};
    return L"kagakucue" + std::to_wstring(counter.fetch_add(1));
}

std::string ErrorText(MCIERROR error) {
    wchar_t text[256] = {};
    if (!::mciGetErrorStringW(error, text, 256)) {
        return "サウンドを再生できません（MCI のエラー " + std::to_string(error) + "）";
    }
    return windows::Utf8FromWide(text);
}

MCIERROR Send(const std::wstring& command, std::wstring* answer = nullptr) {
    wchar_t buffer[256] = {};
    const MCIERROR error = ::mciSendStringW(command.c_str(), buffer, 255, nullptr);
    if (answer != nullptr) {
        *answer = buffer;
    }
    return error;
}

std::wstring OpenCommand(const std::filesystem::path& wavFile, const std::wstring& alias) {
    return L"open \"" + wavFile.native() + L"\" type waveaudio alias " + alias;
}

}  // namespace

double WavDurationSeconds(const std::filesystem::path& wavFile) {
    const std::wstring alias = NextAlias();
    if (Send(OpenCommand(wavFile, alias)) != 0) {
        return -1.0;
    }
    std::wstring length;
    double seconds = -1.0;
    if (Send(L"set " + alias + L" time format milliseconds") == 0 &&
        Send(L"status " + alias + L" length", &length) == 0) {
        seconds = static_cast<double>(std::wcstoul(length.c_str(), nullptr, 10)) / 1000.0;
    }
    Send(L"close " + alias);
    return seconds;
}

MciPlayOutcome PlayWavWithMci(const std::filesystem::path& wavFile) {
    const std::wstring alias = NextAlias();
    MCIERROR error = Send(OpenCommand(wavFile, alias));
    if (error == 0) {
        error = Send(L"play " + alias + L" wait");
        Send(L"close " + alias);
    }
    if (error != 0) {
        return MciPlayOutcome{static_cast<int>(error), ErrorText(error)};
    }
    return MciPlayOutcome{};
}

}  // namespace kagaku
