// Internet radio against a local file, in the same run:
//   radiobench fixtures DIR          writes a 60 s 128 kbit/s MP3 (DIR/station.mp3)
//   radiobench local FILE SECONDS    plays FILE; prints "<cpu s> <peak KiB growth>"
//   radiobench station FILE SECONDS  serves FILE as an ICY station from a child process on loopback at
//                                    128 kbit/s and plays it; prints "<cpu s> <peak KiB growth> <open ms>"
#include "../tests/audio/LoopbackServer.h"
#include "Fixtures.h"
#include "bass.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace fx = calvoran::fixtures;
using calvoran::test::LoopbackConnection;
using calvoran::test::LoopbackServer;

namespace {

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

// Plays `handle` for `seconds`, polling the way the player and the radio window do.
void playFor(DWORD handle, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (int tick = 0; std::chrono::steady_clock::now() < end; ++tick) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        BASS_ChannelGetLevel(handle);
        if (tick % 3 == 0) BASS_ChannelGetPosition(handle);
        if (tick % 16 == 0) {
            BASS_StreamGetTags(handle, BASS_TAG_ICY);
            BASS_StreamGetTags(handle, BASS_TAG_META);
        }
    }
}

// The station: a child process, so its work is not counted as ours. Writes its port to `out`.
[[noreturn]] void serve(const std::string &audio, int out) {
    LoopbackServer server(
        [&](LoopbackConnection &c) {
            c.send("ICY 200 OK\r\nicy-name:Bench FM\r\nicy-br:128\r\nicy-metaint:16000\r\n\r\n");
            const std::size_t burst = 32000; // what stations send at once so a player starts quickly
            std::size_t sent = 0;
            for (int block = 0; sent < audio.size(); ++block) {
                const std::string piece = audio.substr(sent, 16000);
                const std::string title = "StreamTitle='Song " + std::to_string(block / 10) + "';";
                std::string meta = title;
                meta.resize((title.size() + 15) / 16 * 16, '\0');
                if (!c.send(piece) || !c.send(std::string(1, static_cast<char>(meta.size() / 16)) + meta))
                    break;
                sent += piece.size();
                if (sent >= burst) c.pause(std::chrono::seconds(1));
            }
        },
        std::chrono::seconds(600));
    const int port = server.port();
    if (::write(out, &port, sizeof port) != sizeof port) std::_Exit(1);
    for (;;)
        ::pause();
}

int play(const std::string &file, double seconds, bool station) {
    std::ifstream in(file, std::ios::binary);
    const std::string audio{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (audio.empty()) return 1;
    pid_t child = -1;
    int port = 0;
    if (station) {
        int fds[2];
        if (::pipe(fds) != 0) return 1;
        child = ::fork();
        if (child == 0) serve(audio, fds[1]);
        if (::read(fds[0], &port, sizeof port) != sizeof port) return 1;
    }
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!BASS_Init(1, 44100, 0, nullptr, nullptr)) return 1;
    const long before = peakKiB();
    const double cpuBefore = cpuSeconds();
    const auto opening = std::chrono::steady_clock::now();
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/";
    const DWORD handle = station ? BASS_StreamCreateURL(url.c_str(), 0, 0, nullptr, nullptr)
                                 : BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, 0);
    const double openMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - opening).count();
    int status = 1;
    if (handle && BASS_StreamPlay(handle, TRUE, 0)) {
        playFor(handle, seconds);
        const double cpu = cpuSeconds() - cpuBefore;
        std::printf("%.3f %ld %.1f\n", cpu, peakKiB() - before, openMs);
        status = 0;
    }
    BASS_Free();
    if (child > 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    return status;
}

} // namespace

int main(int argc, char **argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "fixtures" && argc == 3) {
        const fx::fs::path dir = argv[2];
        fx::fs::create_directories(dir);
        const auto music = fx::chord({110, 277, 440, 1250, 3300}, 60.0, 44100, 2, 0.6);
        return fx::writeWav(dir / "station.wav", music, 44100, 2) &&
                       fx::encodeMp3Cbr(dir / "station.wav", dir / "station.mp3", 128)
                   ? 0
                   : 1;
    }
    if ((mode == "local" || mode == "station") && argc == 4)
        return play(argv[2], std::atof(argv[3]), mode == "station");
    std::fprintf(stderr, "usage: radiobench fixtures DIR | local FILE SECONDS | station FILE SECONDS\n");
    return 2;
}
