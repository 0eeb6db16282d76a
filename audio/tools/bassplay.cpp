// bassplay: plays files to the end through the audio library, one after another.
//   bassplay [--device N] [--rate HZ] [--volume 0-100] [--quiet] FILE...
// Tracker modules are recognised by content, everything else is opened as a stream. Exits with 0 when
// every file was opened and played to its end, 1 otherwise.
#include "bass.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Options {
    int device = 1;
    DWORD rate = 44100;
    DWORD volume = 100;
    bool quiet = false;
    std::vector<std::string> files;
};

bool parse(int argc, char **argv, Options &options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--device" && hasValue) {
            options.device = std::atoi(argv[++i]);
        } else if (arg == "--rate" && hasValue) {
            options.rate = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--volume" && hasValue) {
            options.volume = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg.rfind("--", 0) == 0) {
            return false;
        } else {
            options.files.push_back(arg);
        }
    }
    return !options.files.empty();
}

bool play(const std::string &file, const Options &options) {
    bool module = true;
    DWORD handle = BASS_MusicLoad(FALSE, file.c_str(), 0, 0, BASS_MUSIC_RAMP, 0);
    if (handle == 0) {
        module = false;
        handle = BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, 0);
    }
    if (handle == 0) {
        std::fprintf(stderr, "bassplay: %s: cannot open (error code: %d)\n", file.c_str(),
                     BASS_ErrorGetCode());
        return false;
    }
    const QWORD length = module ? BASS_MusicGetLength(handle, TRUE) : BASS_StreamGetLength(handle);
    const float seconds = BASS_ChannelBytes2Seconds(handle, length);
    if (!options.quiet) {
        if (module)
            std::printf("%s: module \"%s\", %u orders, %.2f s\n", file.c_str(), BASS_MusicGetName(handle),
                        BASS_MusicGetLength(handle, FALSE), static_cast<double>(seconds));
        else
            std::printf("%s: stream, %.2f s\n", file.c_str(), static_cast<double>(seconds));
    }
    const BOOL started = module ? BASS_MusicPlay(handle) : BASS_StreamPlay(handle, FALSE, 0);
    if (!started) {
        std::fprintf(stderr, "bassplay: %s: cannot play (error code: %d)\n", file.c_str(),
                     BASS_ErrorGetCode());
        module ? BASS_MusicFree(handle) : BASS_StreamFree(handle);
        return false;
    }
    const auto begin = std::chrono::steady_clock::now();
    int ticks = 0;
    while (BASS_ChannelIsActive(handle) == BASS_ACTIVE_PLAYING) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!options.quiet && ++ticks % 25 == 0) {
            const DWORD level = BASS_ChannelGetLevel(handle);
            std::printf(
                "  %.2f s  level %u/%u\n",
                static_cast<double>(BASS_ChannelBytes2Seconds(handle, BASS_ChannelGetPosition(handle))),
                level & 0xFFFF, level >> 16);
            std::fflush(stdout);
        }
    }
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const float heard = BASS_ChannelBytes2Seconds(handle, BASS_ChannelGetPosition(handle));
    if (!options.quiet) std::printf("  ended at %.3f s after %.3f s\n", static_cast<double>(heard), took);
    module ? BASS_MusicFree(handle) : BASS_StreamFree(handle);
    // Played to the end: the last position heard is the length.
    return seconds <= 0 || heard >= seconds - 0.05f;
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: bassplay [--device N] [--rate HZ] [--volume 0-100] [--quiet] FILE...\n");
        return 2;
    }
    if (!BASS_Init(options.device, options.rate, 0, nullptr, nullptr)) {
        std::fprintf(stderr, "bassplay: cannot initialise the output (error code: %d)\n",
                     BASS_ErrorGetCode());
        return 1;
    }
    BASS_SetVolume(options.volume);
    bool all = true;
    for (const auto &file : options.files)
        all = play(file, options) && all;
    BASS_Free();
    return all ? 0 : 1;
}
