#include "platform/alsa_sound_player.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace kagaku {

namespace {

// Error codes in the range the program reports for sounds.
constexpr int kFileError = 275;    // cannot find or read the file
constexpr int kFormatError = 320;  // not a playable WAV file
constexpr int kDeviceError = 263;  // no device, or the device failed

struct WavData {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<char> samples;
};

std::uint32_t LE(const char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(p[i]);
    }
    return v;
}

bool ReadWav(const std::filesystem::path& file, WavData& wav, bool& fileMissing) {
    std::ifstream in(file, std::ios::binary);
    fileMissing = !in;
    if (!in)
        return false;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        return false;
    }
    std::size_t pos = 12;
    bool haveFormat = false;
    while (pos + 8 <= bytes.size()) {
        const char* chunk = bytes.data() + pos;
        const std::size_t size = LE(chunk + 4, 4);
        const std::size_t body = pos + 8;
        if (body + size > bytes.size() && std::memcmp(chunk, "data", 4) != 0)
            return false;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
            if (LE(chunk + 8, 2) != 1)
                return false;  // PCM only
            wav.channels = static_cast<int>(LE(chunk + 10, 2));
            wav.rate = static_cast<int>(LE(chunk + 12, 4));
            wav.bits = static_cast<int>(LE(chunk + 22, 2));
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            // A data chunk cut short plays what is there.
            const std::size_t available = std::min(size, bytes.size() - body);
            wav.samples.assign(bytes.begin() + static_cast<std::ptrdiff_t>(body),
                               bytes.begin() + static_cast<std::ptrdiff_t>(body + available));
            return haveFormat && wav.channels > 0 && wav.rate > 0 &&
                   (wav.bits == 8 || wav.bits == 16);
        }
        pos = body + size + (size & 1);
    }
    return false;
}

// ALSA's library prints its own complaints to the terminal; the program reports failures itself.
void QuietAlsaMessages(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

double WavDurationSeconds(const std::filesystem::path& wavFile) {
    WavData wav;
    bool missing = false;
    if (!ReadWav(wavFile, wav, missing))
        return -1.0;
    const double frameBytes = wav.channels * (wav.bits / 8);
    return static_cast<double>(wav.samples.size()) / frameBytes / wav.rate;
}

AlsaPlayOutcome PlayWavWithAlsa(const std::filesystem::path& wavFile,
                                const std::atomic<bool>* stop) {
    WavData wav;
    bool missing = false;
    if (!ReadWav(wavFile, wav, missing)) {
        return missing ? AlsaPlayOutcome{kFileError,
                                         "サウンドファイルが見つかりません: " + wavFile.string()}
                       : AlsaPlayOutcome{kFormatError,
                                         "再生できないサウンドファイルです: " + wavFile.string()};
    }
    static const bool quiet = [] {
        snd_lib_error_set_handler(&QuietAlsaMessages);
        return true;
    }();
    (void)quiet;
    snd_pcm_t* pcm = nullptr;
    // Opened without blocking: a busy or absent device answers at once.
    int err = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (err < 0) {
        return {kDeviceError, std::string("サウンドデバイスを開けません: ") + snd_strerror(err)};
    }
    snd_pcm_nonblock(pcm, 0);
    const snd_pcm_format_t format = wav.bits == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
    err = snd_pcm_set_params(pcm, format, SND_PCM_ACCESS_RW_INTERLEAVED,
                             static_cast<unsigned>(wav.channels), static_cast<unsigned>(wav.rate),
                             1, 200000);
    if (err < 0) {
        snd_pcm_close(pcm);
        return {kDeviceError,
                std::string("サウンドデバイスを設定できません: ") + snd_strerror(err)};
    }
    const auto frameBytes = static_cast<std::size_t>(wav.channels * (wav.bits / 8));
    const std::size_t frames = wav.samples.size() / frameBytes;
    std::size_t done = 0;
    while (done < frames) {
        if (stop != nullptr && stop->load(std::memory_order_acquire)) {
            snd_pcm_drop(pcm);
            snd_pcm_close(pcm);
            return {};
        }
        // A twentieth of a second at a time, so that a stop is heard soon.
        const std::size_t chunk =
            std::min(frames - done, std::max<std::size_t>(1, static_cast<std::size_t>(wav.rate) / 20));
        snd_pcm_sframes_t n = snd_pcm_writei(pcm, wav.samples.data() + done * frameBytes, chunk);
        if (n < 0)
            n = snd_pcm_recover(pcm, static_cast<int>(n), 1);
        if (n < 0) {
            snd_pcm_close(pcm);
            return {kDeviceError, std::string("サウンドの再生に失敗しました: ") +
                                      snd_strerror(static_cast<int>(n))};
        }
        done += static_cast<std::size_t>(n);
    }
    snd_pcm_drain(pcm);
    snd_pcm_close(pcm);
    return {};
}

}  // namespace kagaku
