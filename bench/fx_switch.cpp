// Plays a WAV through the default output, switches the channel swap on and off at known heard positions
// and prints them: "on BYTES off BYTES". fx_switch.run.sh records what the sound server plays and finds
// how long each switch took to be heard.
#include "bass.h"
#include "bass_fx.h"

#include <chrono>
#include <cstdio>
#include <thread>

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_fx_switch FILE.wav\n");
        return 2;
    }
    if (!BASS_Init(1, 44100, 0, nullptr, nullptr)) return 1;
    const DWORD stream = BASS_StreamCreateFile(FALSE, argv[1], 0, 0, 0);
    if (stream == 0 || !BASS_StreamPlay(stream, FALSE, 0)) return 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    const QWORD onAt = BASS_ChannelGetPosition(stream);
    BASS_FX_DSP_Set(stream, BASS_FX_DSP_SWAP, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const QWORD offAt = BASS_ChannelGetPosition(stream);
    BASS_FX_DSP_Remove(stream, BASS_FX_DSP_SWAP);
    while (BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    BASS_Free();
    std::printf("on %llu off %llu\n", static_cast<unsigned long long>(onAt),
                static_cast<unsigned long long>(offAt));
    return 0;
}
