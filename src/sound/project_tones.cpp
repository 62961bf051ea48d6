#include "sound/project_tones.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "common/files.h"

namespace kagaku {

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

void PutLE(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::vector<std::int16_t> Render(const std::vector<ToneNote>& notes) {
    std::vector<std::int16_t> samples;
    for (const ToneNote& n : notes) {
        const int count = static_cast<int>(n.seconds * kRate);
        for (int i = 0; i < count; ++i) {
            double t = static_cast<double>(i) / kRate;
            // A soft attack and an exponential fade make a chime rather than a beep.
            double envelope = std::min(1.0, t / 0.01) * std::exp(-3.0 * t / n.seconds);
            double v = n.frequency > 0 ? envelope * (0.6 * std::sin(2 * kPi * n.frequency * t) +
                                                     0.2 * std::sin(4 * kPi * n.frequency * t))
                                       : 0.0;
            samples.push_back(static_cast<std::int16_t>(v * 20000.0));
        }
    }
    return samples;
}

}  // namespace

const std::vector<ProjectTone>& ProjectTones() {
    constexpr double C5 = 523.25, E5 = 659.25, G5 = 783.99, C6 = 1046.5, A4 = 440.0, F4 = 349.23,
                     D5 = 587.33, B4 = 493.88;
    static const std::vector<ProjectTone> tones = {
        {"seikai1", {{C6, 0.15}}},
        {"seikai2", {{E5, 0.1}, {C6, 0.2}}},
        {"seikai3", {{G5, 0.1}, {C6, 0.2}}},
        {"machigai1", {{F4, 0.25}, {0, 0.03}, {F4, 0.3}}},
        {"machigai2", {{A4, 0.2}, {F4, 0.35}}},
        {"saikou1", {{C5, 0.12}, {E5, 0.12}, {G5, 0.12}, {C6, 0.4}}},
        {"jiko1", {{G5, 0.12}, {C6, 0.35}}},
        {"jiko2", {{E5, 0.12}, {G5, 0.12}, {C6, 0.35}}},
        {"jiko3", {{D5, 0.12}, {G5, 0.12}, {B4, 0.35}}},
        {"fugoukaku1", {{A4, 0.3}, {F4, 0.5}}},
        {"最高1", {{C5, 0.15}, {E5, 0.15}, {G5, 0.15}, {C6, 0.15}, {G5, 0.15}, {C6, 0.6}}},
        {"合格", {{G5, 0.15}, {G5, 0.15}, {G5, 0.15}, {C6, 0.3}, {E5, 0.15}, {C6, 0.7}}},
    };
    return tones;
}

std::string ToneWavBytes(const std::vector<ToneNote>& notes) {
    const std::vector<std::int16_t> samples = Render(notes);
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out;
    out.reserve(44 + dataBytes);
    out += "RIFF";
    PutLE(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    PutLE(out, 16, 4);
    PutLE(out, 1, 2);  // PCM
    PutLE(out, 1, 2);  // mono
    PutLE(out, kRate, 4);
    PutLE(out, kRate * 2, 4);
    PutLE(out, 2, 2);
    PutLE(out, 16, 2);
    out += "data";
    PutLE(out, dataBytes, 4);
    for (std::int16_t s : samples)
        PutLE(out, static_cast<std::uint16_t>(s), 2);
    return out;
}

std::vector<std::string> ProjectSoundTableLines() {
    return {
        "正解音1,seikai1,*",      "正解音2,seikai2,seikai3,*", "間違い音1,machigai1,*",
        "間違い音2,machigai2,*",  "最高音1,saikou1,*",         "最高音2,saikou1,*",
        "自己最高音1,jiko1,*",    "自己最高音2,jiko2,jiko1,*", "自己最高音3,jiko3,*",
        "不合格音1,fugoukaku1,*",
    };
}

void WriteProjectTones(const std::filesystem::path& folder) {
    for (const ProjectTone& tone : ProjectTones())
        WriteFileAtomically(folder / PathFromText(tone.name + ".wav"), ToneWavBytes(tone.notes));
}

}  // namespace kagaku
