// Arbitrary bytes as a memory stream and as a module: open, decode a bounded amount, seek, decode again.
// The first byte picks what is tried, so seeds of each format stay on their path.
#include "bass.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr DWORD kMaxBytes = 4u << 20; // decoded bytes per input, so long songs do not stall the run

void drain(DWORD handle) {
    static std::vector<std::uint8_t> buffer(65536);
    DWORD total = 0;
    const QWORD length = BASS_StreamGetLength(handle);
    (void)length;
    for (int i = 0; total < kMaxBytes; ++i) {
        const DWORD flags = (i % 2) ? BASS_DATA_FLOAT : 0;
        const DWORD got =
            BASS_ChannelGetData(handle, buffer.data(), static_cast<DWORD>(buffer.size()) | flags);
        if (got == ~DWORD{0} || got == 0) break;
        if (got > buffer.size()) std::abort(); // more than was asked for
        total += got;
        if (i == 2) {
            float fft[512];
            BASS_ChannelGetData(handle, fft, BASS_DATA_FFT1024);
            BASS_ChannelGetLevel(handle);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool initialised = BASS_Init(0, 44100, 0, nullptr, nullptr) != 0;
    if (!initialised || size < 2) return 0;
    const std::uint8_t mode = data[0];
    const void *body = data + 1;
    const QWORD bodySize = size - 1;

    if (mode & 1) {
        const DWORD music =
            BASS_MusicLoad(TRUE, body, 0, static_cast<DWORD>(bodySize), BASS_MUSIC_DECODE, 22050);
        if (music) {
            BASS_MusicGetName(music);
            BASS_MusicGetLength(music, FALSE);
            const DWORD length = BASS_MusicGetLength(music, TRUE);
            drain(music);
            if (length != ~DWORD{0}) BASS_ChannelSetPosition(music, length / 2 & ~QWORD{3});
            drain(music);
            if (!BASS_MusicFree(music)) std::abort();
        }
        return 0;
    }
    const DWORD stream = BASS_StreamCreateFile(TRUE, body, 0, bodySize, BASS_STREAM_DECODE);
    if (!stream) return 0;
    const QWORD length = BASS_StreamGetLength(stream);
    drain(stream);
    if (length != ~QWORD{0}) {
        BASS_ChannelSetPosition(stream, length / 3);
        drain(stream);
        if (BASS_ChannelSetPosition(stream, length + 4)) std::abort(); // beyond the end must fail
    }
    if (!BASS_StreamFree(stream)) std::abort();
    return 0;
}
