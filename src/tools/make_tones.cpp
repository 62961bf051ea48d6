// Writes the demo tree's sound files: short tones and chimes, 16-bit mono PCM WAV at 22050 Hz.
// Usage: make_tones FOLDER

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

struct Note {
    double frequency;  // 0 for a rest
    double seconds;
};

void PutLE(std::ofstream& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::vector<std::int16_t> Render(const std::vector<Note>& notes) {
    std::vector<std::int16_t> samples;
    for (const Note& n : notes) {
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

bool WriteWav(const std::filesystem::path& file, const std::vector<Note>& notes) {
    std::vector<std::int16_t> samples = Render(notes);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    PutLE(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    PutLE(out, 16, 4);
    PutLE(out, 1, 2);  // PCM
    PutLE(out, 1, 2);  // mono
    PutLE(out, kRate, 4);
    PutLE(out, kRate * 2, 4);
    PutLE(out, 2, 2);
    PutLE(out, 16, 2);
    out.write("data", 4);
    PutLE(out, dataBytes, 4);
    for (std::int16_t s : samples)
        PutLE(out, static_cast<std::uint16_t>(s), 2);
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_tones FOLDER\n");
        return 2;
    }
    namespace fs = std::filesystem;
    fs::path folder = fs::u8path(argv[1]);
    std::error_code ec;
    fs::create_directories(folder, ec);
    const double C5 = 523.25, E5 = 659.25, G5 = 783.99, C6 = 1046.5, A4 = 440.0, F4 = 349.23,
                 D5 = 587.33, B4 = 493.88;
    const std::vector<std::pair<std::string, std::vector<Note>>> sounds = {
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
    for (const auto& [name, notes] : sounds) {
        if (!WriteWav(folder / fs::u8path(name + ".wav"), notes)) {
            std::fprintf(stderr, "make_tones: cannot write %s.wav\n", name.c_str());
            return 1;
        }
    }
    return 0;
}
