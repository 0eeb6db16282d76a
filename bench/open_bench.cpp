// Bytes read from disk to open a stream and learn its length, per file, counted by the kernel (rchar of
// /proc/self/io) over distinct copies of a 240 s file, so every open is a first open. The floor beside it
// is the file's own size: a decoder that scans the whole file reads about that much.
#include "Fixtures.h"
#include "TestDir.h"
#include "bass.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace fx = calvoran::fixtures;

namespace {

constexpr int kCopies = 200;

long long readChars() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return -1;
}

struct Figure {
    double bytesPerOpen = 0;
    double msPerOpen = 0;
    double seconds = 0;
};

Figure measure(const std::vector<fx::fs::path> &files) {
    Figure figure;
    const long long before = readChars();
    const auto start = std::chrono::steady_clock::now();
    for (const auto &file : files) {
        const HSTREAM stream = BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE);
        if (!stream) {
            std::fprintf(stderr, "cannot open %s: error %d\n", file.c_str(), BASS_ErrorGetCode());
            return {};
        }
        figure.seconds = BASS_ChannelBytes2Seconds(stream, BASS_StreamGetLength(stream));
        BASS_StreamFree(stream);
    }
    const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
    figure.bytesPerOpen = static_cast<double>(readChars() - before) / static_cast<double>(files.size());
    figure.msPerOpen = elapsed.count() / static_cast<double>(files.size());
    return figure;
}

std::vector<fx::fs::path> copies(const fx::TestDir &dir, const fx::fs::path &file, const std::string &stem) {
    std::vector<fx::fs::path> files;
    const auto bytes = fx::readFile(file);
    for (int i = 0; i < kCopies; ++i) {
        files.push_back(dir.file(stem + std::to_string(i) + file.extension().string()));
        if (!fx::writeFile(files.back(), bytes)) return {};
    }
    return files;
}

} // namespace

int main() {
    fx::TestDir dir;
    const auto wav = dir.file("music.wav");
    const auto music = fx::chord({110, 440, 2500}, 240.0, 44100, 2, 0.4);
    if (!fx::writeWav(wav, music, 44100, 2)) return 1;
    struct Kind {
        const char *label;
        std::string file;
        std::vector<std::string> tool;
        double budgetKiB; // a header gives the length from the first frames; without one it is estimated
    };
    const std::vector<Kind> kinds = {
        {"MP3 with an Info header", "info.mp3", {"lame", "--quiet", "-b", "192", wav.string()}, 256},
        {"MP3 without a header", "bare.mp3", {"lame", "--quiet", "-t", "-b", "192", wav.string()}, 1024},
        {"Ogg Vorbis", "music.ogg", {"oggenc", "-Q", "-q", "6", "-o"}, 256},
    };
    if (BASS_Init(0, 44100, 0, nullptr, nullptr) == 0) return 1;
    int status = 0;
    for (const Kind &kind : kinds) {
        auto argv = kind.tool;
        argv.push_back(dir.file(kind.file).string());
        if (argv[0] == "oggenc") argv.push_back(wav.string());
        if (!fx::runTool(argv, 300000).ok()) {
            std::printf("  %-26s: cannot encode with %s\n", kind.label, argv[0].c_str());
            status = 1;
            continue;
        }
        const auto size = static_cast<double>(fx::fs::file_size(dir.file(kind.file)));
        const auto files = copies(dir, dir.file(kind.file), kind.file);
        const Figure figure = measure(files);
        const double budget = kind.budgetKiB * 1024;
        const bool ok = figure.bytesPerOpen > 0 && figure.bytesPerOpen <= budget;
        if (!ok) status = 1;
        std::printf("  %-26s: %9.0f bytes per open (%4.1f%% of the %.1f MB file), %6.2f ms per open, "
                    "length %.3f s  %s (budget %.0f KiB)\n",
                    kind.label, figure.bytesPerOpen, 100.0 * figure.bytesPerOpen / size, size / 1e6,
                    figure.msPerOpen, figure.seconds, ok ? "ok" : "OVER BUDGET", budget / 1024);
        for (const auto &file : files)
            fx::fs::remove(file);
    }
    BASS_Free();
    return status;
}
