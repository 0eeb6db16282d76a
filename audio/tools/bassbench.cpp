// bassbench: measurements of the audio library for bench/audio_core.run.sh.
//   bassbench fixtures DIR          writes the benchmark inputs (240 s WAV, MP3, Ogg, XM) into DIR
//   bassbench decode FILE [module]  decodes FILE as fast as possible; prints "<wall s> <audio s>"
//   bassbench play FILE SECONDS     plays FILE on the dummy driver; prints "<cpu s per minute> <peak KiB>"
#include "Fixtures.h"
#include "bass.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace fx = calvoran::fixtures;

namespace {

// The scheduler's own count for all threads: getrusage's tick sampling misjudges many short wake-ups.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int makeFixtures(const fx::fs::path &dir) {
    fx::fs::create_directories(dir);
    // Four minutes, a song's length: start-up of either program (ours loads SDL's display and sound
    // libraries) is then a small part of what is compared.
    auto music = fx::chord({110, 277, 440, 1250, 3300}, 240.0, 44100, 2, 0.6);
    if (!fx::writeWav(dir / "bench.wav", music, 44100, 2) ||
        !fx::encodeMp3Cbr(dir / "bench.wav", dir / "bench.mp3", 192) ||
        !fx::encodeOgg(dir / "bench.wav", dir / "bench.ogg", 5) ||
        !fx::writeModuleFile(dir / "bench.xm", fx::ModFormat::Xm, fx::demoSong(240.0, "bench"))) {
        std::fprintf(stderr, "bassbench: cannot write the fixtures\n");
        return 1;
    }
    return 0;
}

int decode(const std::string &file, bool module) {
    if (!BASS_Init(0, 48000, 0, nullptr, nullptr)) return 1;
    const auto start = std::chrono::steady_clock::now();
    const DWORD handle = module ? BASS_MusicLoad(FALSE, file.c_str(), 0, 0, BASS_MUSIC_DECODE, 48000)
                                : BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE);
    if (!handle) {
        std::fprintf(stderr, "bassbench: %s: error %d\n", file.c_str(), BASS_ErrorGetCode());
        return 1;
    }
    std::vector<std::int16_t> block(16384);
    QWORD bytes = 0;
    for (;;) {
        const DWORD got = BASS_ChannelGetData(handle, block.data(), static_cast<DWORD>(block.size() * 2));
        if (got == 0 || got == ~DWORD{0}) break;
        bytes += got;
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.4f %.2f\n", wall, static_cast<double>(BASS_ChannelBytes2Seconds(handle, bytes)));
    BASS_Free();
    return 0;
}

int play(const std::string &file, double seconds) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!BASS_Init(1, 44100, 0, nullptr, nullptr)) return 1;
    const long before = peakKiB();
    const double cpuBefore = cpuSeconds();
    const DWORD handle = BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, 0);
    if (!handle || !BASS_StreamPlay(handle, FALSE, 0)) return 1;
    // Poll the way the player does: position every 90 ms, levels every 30 ms.
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int tick = 0;
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        BASS_ChannelGetLevel(handle);
        if (++tick % 3 == 0) BASS_ChannelGetPosition(handle);
    }
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("%.3f %ld\n", cpu / seconds * 60.0, peakKiB() - before);
    BASS_Free();
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "fixtures" && argc == 3) return makeFixtures(argv[2]);
    if (mode == "decode" && argc >= 3) return decode(argv[2], argc > 3 && std::string(argv[3]) == "module");
    if (mode == "play" && argc == 4) return play(argv[2], std::atof(argv[3]));
    std::fprintf(stderr, "usage: bassbench fixtures DIR | decode FILE [module] | play FILE SECONDS\n");
    return 2;
}
