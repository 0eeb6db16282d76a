// The file source: arbitrary bytes in a real file, opened through a window the first bytes choose
// (offset and length, inside or past the end), as a stream and as a module.
#include "bass.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string scratchFile() {
    char name[] = "/tmp/calvoran-filesource-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0) std::abort();
    ::close(fd);
    return name;
}

void drain(DWORD handle) {
    static std::vector<std::uint8_t> buffer(16384);
    for (int i = 0; i < 64; ++i) {
        const DWORD got = BASS_ChannelGetData(handle, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (got == ~DWORD{0} || got == 0) break;
        if (got > buffer.size()) std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool initialised = BASS_Init(0, 44100, 0, nullptr, nullptr) != 0;
    static const std::string path = scratchFile();
    if (!initialised || size < 4) return 0;
    // Offsets and lengths around the body's size, so windows at, inside and beyond its end all come up.
    const QWORD body = size - 4;
    const QWORD offset = (static_cast<QWORD>(data[0]) * body) / 128;
    const QWORD length = data[1] == 0 ? 0 : (static_cast<QWORD>(data[1]) * body) / 128;
    const DWORD flags = data[2] & 1 ? BASS_STREAM_DECODE : BASS_STREAM_DECODE | BASS_STREAM_AUTOFREE;
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (body > 0 && std::fwrite(data + 4, 1, body, f) != body) std::abort();
    std::fclose(f);

    if (data[3] & 1) {
        const DWORD music = BASS_MusicLoad(FALSE, path.c_str(), offset, static_cast<DWORD>(length), flags, 0);
        if (music) {
            drain(music);
            if (!BASS_MusicFree(music)) std::abort();
        }
    } else {
        const DWORD stream = BASS_StreamCreateFile(FALSE, path.c_str(), offset, length, flags);
        if (stream) {
            if (offset > body) std::abort(); // a window past the end must be refused
            drain(stream);
            if (!BASS_StreamFree(stream)) std::abort();
        }
    }
    return 0;
}
